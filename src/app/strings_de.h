// The German string table compiled into the program (UTF-8).
#pragma once

#include <span>
#include <string_view>

namespace orvex::app {

struct NumberedText {
    int id;
    std::string_view text;
};

struct NamedText {
    std::string_view name;
    std::string_view text;
};

std::span<const NumberedText> germanNumberedTexts();
std::span<const NamedText> germanNamedTexts();

}  // namespace orvex::app
