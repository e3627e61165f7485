// The hook a caller installs to stay responsive while a command waits.
#pragma once

#include <chrono>

namespace orvex {

constexpr std::chrono::milliseconds kWaitHookPeriod{15};

// Runs the installed hook, if any. False when none is installed.
bool runWaitHook();
bool waitHookInstalled();

}  // namespace orvex
