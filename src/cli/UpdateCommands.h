#pragma once
#include "Cli.h"

// kzdctl update show FILE [--json]: reads an update file with the update file
// reader and prints its header, filter, image digest and scripts. Exit 0, or
// 2 for bad usage and a file that cannot be read.
int RunUpdateShow(TCliContext& ctx);
