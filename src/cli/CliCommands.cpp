#include "CliCommands.h"

#include "MapCommands.h"
#include "UpdateCommands.h"

// Each command group lives in a module of its own and adds its rows here.

const std::vector<TCliCommand>& CliCommands() {
    static const std::vector<TCliCommand> commands = {
        {{"map", "show"}, "map show FILE [--json]", "Shows a map file (.kzm, .qkm): device maps, axes, headers, positions and tables.", RunMapShow},
        {{"update", "show"}, "update show FILE [--json]", "Shows the header, filter, image and scripts of an update file.", RunUpdateShow},
    };
    return commands;
}
