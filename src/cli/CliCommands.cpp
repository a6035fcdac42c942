#include "CliCommands.h"

#include "DeviceCommands.h"
#include "MapCommands.h"
#include "MapTransferCommands.h"
#include "UpdateCommands.h"
#include "WatchCommands.h"

// Each command group lives in a module of its own and adds its rows here.

const std::vector<TCliCommand>& CliCommands() {
    static const std::vector<TCliCommand> commands = {
        {{"device", "list"}, "device list [--json]", "Lists the connected devices after one enumeration pass.", RunDeviceList},
        {{"device", "info"}, "device info [--json]", "Shows the device information lines of the selected device.", RunDeviceInfo},
        {{"device", "errors"}, "device errors [--json]", "Shows the device error log, newest first.", RunDeviceErrors},
        {{"map", "show"}, "map show FILE [--json]", "Shows a map file (.kzm, .qkm): device maps, axes, headers, positions and tables.", RunMapShow},
        {{"map", "get"}, "map get OUT.kzm [--position N] | --json", "Reads the device's map; saves position N (default: the lowest) as a one-position map file, or prints the whole map as JSON.", RunMapGet},
        {{"map", "send"}, "map send IN.kzm --position T [--yes]", "Sends the one position of a map file into position T of the device's map; an occupied target needs --yes.", RunMapSend},
        {{"update", "show"}, "update show FILE [--json]", "Shows the header, filter, image and scripts of an update file.", RunUpdateShow},
        {{"watch"}, "watch CHANNEL... [--count N] [--interval MS]", "Prints live channel values (identifiers or names) as CSV, one line per interval.", RunWatch},
    };
    return commands;
}
