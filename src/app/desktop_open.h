// Opening a document or web address with the desktop's default handler
// (xdg-open), started with posix_spawn and an argument vector, never through
// a shell, so a file name cannot inject commands.
#pragma once

#include <functional>
#include <string>

namespace orvex::app {

// Results in the convention the messages are written for: 32 and above
// success, 0 out of resources, 31 no application for the file type, other
// values an unknown error.
inline constexpr int OpenSucceeded = 33;
inline constexpr int OpenOutOfResources = 0;
inline constexpr int OpenNoHandler = 31;

// Starts the opener for target in workingDir (empty: the current folder).
// Returns the start result at once; when the opener was started, finished is
// called later, from another thread, with the opener's outcome in the same
// convention. opener is replaceable for tests.
int desktopOpen(const std::string &target, const std::string &workingDir = {},
                std::function<void(int result)> finished = {}, const std::string &opener = "xdg-open");

// Maps the opener's exit status: 0 success; 3 (tool missing) and 4 (action
// failed, e.g. no viewer for the type) count as "no application".
int openResultFromExitStatus(int exitStatus);

// Message for a failed result: 10000, 10001 or 10002 with the result; empty
// for success.
std::string desktopOpenFailureText(int result);

}  // namespace orvex::app
