#include "sim/dongle/radio_reader.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace orvex::sim::dongle {

namespace {

std::vector<std::string> splitAtCommas(const std::string &text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) parts.push_back(part);
    return parts;
}

bool parseHex(const std::string &text, unsigned long long &value, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return false;
    value = 0;
    for (char c : text) {
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : std::isxdigit(static_cast<unsigned char>(c))
                        ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                        : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

// A decimal count of up to 7 digits (milliseconds, answers).
bool parseMs(const std::string &text, int &value) {
    if (text.empty() || text.size() > 7) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = std::stoi(text);
    return true;
}

}  // namespace

std::optional<RadioReaderSetup> parseRadioReader(const std::string &text, int index, std::string &error) {
    const std::vector<std::string> parts = splitAtCommas(text);
    if (parts.empty() || parts[0].empty()) {
        error = "a radio reader needs a name";
        return std::nullopt;
    }
    RadioReaderSetup radio;
    radio.name = parts[0];
    // Default addresses count up from 00:80:25:12:5B:01 in the dongle's byte order.
    radio.address = {static_cast<std::uint8_t>(index + 1), 0x5B, 0x12, 0x25, 0x80, 0x00};
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string &option = parts[i];
        const auto eq = option.find('=');
        const std::string key = option.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
        unsigned long long number = 0;
        bool ok = true;
        if (key == "address" && (ok = value.size() == 12 && parseHex(value, number, 12))) {
            for (int b = 0; b < 6; ++b) radio.address[b] = static_cast<std::uint8_t>(number >> (8 * (5 - b)));
        } else if (key == "version" && (ok = value.size() == 4)) {
            radio.versionAnswer = value;
        } else if (key == "class" && (ok = parseHex(value, number, 6))) {
            radio.deviceClass = static_cast<std::uint32_t>(number);
        } else if (key == "drop") {
            ok = parseMs(value, radio.dropAfterMs) && radio.dropAfterMs > 0;
        } else if (key == "drop-every") {
            ok = parseMs(value, radio.dropEveryAnswers) && radio.dropEveryAnswers > 0;
        } else if (key == "silent-name" && value.empty()) {
            radio.silentName = true;
        } else if (ok) {
            error = "unknown radio reader option '" + option + "'";
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value in radio reader option '" + option + "'";
            return std::nullopt;
        }
    }
    return radio;
}

std::string addressText(const RadioAddress &address) {
    char text[13];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2],
                  address[3], address[4], address[5]);
    return text;
}

}  // namespace orvex::sim::dongle
