// Files of the running program: its folder, its data folder (string tables,
// manual), its build date (the program file's last-write date) and the manual
// (the first PDF file beside the program or in its data folder).
#pragma once

#include <optional>
#include <string>

namespace orvex::app {

// Folder of the running program file (/proc/self/exe).
std::string programDirectory();
// Data folder of the running program (string tables, manual); see
// dataDirectoryFor.
std::string programDataDirectory();
// Data folder of the program file programFile: an installed program
// (PREFIX/bin/NAME) uses PREFIX/share/orvex-readersetup when that folder is
// there, and never the source tree; a program run from its build folder uses
// the source tree's resources; otherwise the folder of the configured
// installation prefix.
std::string dataDirectoryFor(const std::string &programFile);

// "%Y-%m-%d" of the program file's modification time; empty when unknown.
std::string programBuildDate();

// The first "*.pdf" (any case) that the listing of folder yields; nullopt
// when there is none.
std::optional<std::string> firstPdfIn(const std::string &folder);
// The manual: first PDF in the program folder, else in the data folder.
std::optional<std::string> findManual();

}  // namespace orvex::app
