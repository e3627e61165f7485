// Texts the page models hand to widgets: numbered and named entries of the
// string table; a named entry the table does not hold yet shows its German text.
#pragma once

#include <string>
#include <string_view>

namespace orvex::app {

std::string pageString(int id);
std::string pageText(std::string_view name, std::string_view german);

}  // namespace orvex::app
