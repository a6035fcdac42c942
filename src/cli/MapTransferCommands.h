#pragma once
#include "Cli.h"

// kzdctl map get OUT.kzm [--position N] | --json: reads the device's map and
// saves one position (default the lowest) as a one-position map file, or
// prints the whole map in the map show JSON form. Exit status 0; 1 when the
// read or the save failed; 2 for bad usage or a position the map lacks.
int RunMapGet(TCliContext& ctx);

// kzdctl map send IN.kzm --position T [--yes]: sends the one position of a
// map file into position T of the device's map (the rest of the device's
// map is kept). An occupied target needs --yes; without it the command fails
// with status 1 and writes nothing. Exit status 0; 1 when the send failed or
// was declined; 2 for bad usage or an unreadable file.
int RunMapSend(TCliContext& ctx);
