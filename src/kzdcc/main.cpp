// kzdcc: the KZD Control Center GUI.
#include <QProcessEnvironment>

#include "Application.h"
#include "Commandline.h"
#include "Mainform.h"
#include "Startup.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    const TCommandLine commandLine = ParseCommandLine(QCoreApplication::arguments().mid(1));

    TStartupHooks hooks;
    // Lets parallel GUI test runs keep their own single-instance guards.
    const QString instanceName = qEnvironmentVariable("KZD_INSTANCE_NAME");
    if (!instanceName.isEmpty())
        hooks.InstanceName = instanceName;
    hooks.CreateMainWindow = [&commandLine] { return std::make_unique<TFormMain>(commandLine); };
    return RunStartup(hooks);
}
