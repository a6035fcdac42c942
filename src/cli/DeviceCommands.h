#pragma once
#include "Cli.h"

// kzdctl device list / device info / device errors.
int RunDeviceList(TCliContext& ctx);
int RunDeviceInfo(TCliContext& ctx);
int RunDeviceErrors(TCliContext& ctx);

// An error entry's value (milliseconds) as seconds with three decimals.
std::string ErrorTimestampText(std::int32_t valueMs);
