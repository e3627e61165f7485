// Files of the running program: its folder, its build date (the program
// file's last-write date) and the manual (the first PDF file beside the
// program or in its data folder).
#pragma once

#include <optional>
#include <string>

namespace orvex::app {

// Folder of the running program file (/proc/self/exe).
std::string ProgramDirectory();
// Installed data folder of the program (string tables, manual).
std::string ProgramDataDirectory();

// "%Y-%m-%d" of the program file's modification time; empty when unknown.
std::string ProgramBuildDate();

// The first "*.pdf" (any case) that the listing of folder yields; nullopt
// when there is none.
std::optional<std::string> FirstPdfIn(const std::string &folder);
// The manual: first PDF in the program folder, else in the data folder.
std::optional<std::string> FindManual();

}  // namespace orvex::app
