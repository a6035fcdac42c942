#pragma once
#include <optional>
#include <string>

#include "Cli.h"

class TChanManager;
class TDeviceID;

// kzdctl watch CHANNEL... [--count N] [--interval MS]: live channel values
// of the selected device as CSV, one line per interval, read from the
// channel manager's cache as the main window's readers do.
int RunWatch(TCliContext& ctx);

// The channel a watch argument names on a device: a decimal identifier the
// device has, or a channel name (compared exactly). Nothing when neither.
std::optional<int> ResolveWatchChannel(const TChanManager& manager, const TDeviceID& id, const std::string& text);
// One CSV field: the text, quoted when it holds a comma, quote or line break.
std::string CsvField(const std::string& text);
