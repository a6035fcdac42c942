#pragma once
#include <iosfwd>
#include <string>

#include "Cli.h"

class TQCMap;
class TJsonWriter;

// kzdctl map show FILE [--json]: prints a ".kzm" or ".qkm" map file as the
// map file loader reads it. Exit status 0, or 2 for bad usage and for a file
// that cannot be read (with the loader's status in the error line).
int RunMapShow(TCliContext& ctx);

// The --json form of a whole map (shared by the map commands).
void WriteMapJson(TJsonWriter& json, const TQCMap& map);
// The readable form: device maps, positions and every table as a grid.
void WriteMapText(std::ostream& out, const TQCMap& map);
// Why a map file load failed, for a status of the map file loader.
std::string MapLoadStatusText(int status);
