#pragma once
#include <string>
#include <vector>

#include "Cli.h"

using TCliHandler = int (*)(TCliContext&);

// One command of kzdctl: its words ("map", "show"), a usage line and a text.
struct TCliCommand {
    std::vector<std::string> Words;
    std::string Usage;
    std::string Help;
    TCliHandler Run;
};

// Every command kzdctl knows, in the order --help lists them.
const std::vector<TCliCommand>& CliCommands();
