// What the programs print for --version: name and version on the first line,
// the copyright on the second (the form manual-page generators read); no line
// end after the last line.
#pragma once

#include <string>
#include <string_view>

namespace orvex::app {

std::string versionText(std::string_view programName);

}  // namespace orvex::app
