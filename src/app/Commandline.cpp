#include "Commandline.h"

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine result;
    const QString deviceOption = QStringLiteral("--device");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == deviceOption) {
            if (i + 1 < arguments.size())
                result.Device = arguments[++i];
        } else if (argument.startsWith(deviceOption + QLatin1Char('='))) {
            result.Device = argument.mid(deviceOption.size() + 1);
        } else {
            result.LastArgument = argument;
        }
    }
    return result;
}
