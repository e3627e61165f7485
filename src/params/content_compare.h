// Which blocks of a reader's content differ from what was meant to be there:
// the check after programming and the comparison before it.
#pragma once

#include "params/content_report.h"

#include <string>
#include <vector>

namespace orvex::app {

// The blocks whose bytes differ, in programming order, each by its
// user-visible name ("Prefix", "Data format", "Parameters", "Suffix",
// "Removal", "Separator"). A block absent from `meant` is not compared; a
// block `meant` holds but `held` lacks (not read) counts as differing.
std::vector<std::string> differingBlocks(const ReaderContent &meant, const ReaderContent &held);

}  // namespace orvex::app
