#include "CliCommands.h"

// Each command group lives in a module of its own and adds its rows here.

const std::vector<TCliCommand>& CliCommands() {
    static const std::vector<TCliCommand> commands = {
    };
    return commands;
}
