#include "params/reader_option_models.h"
#include "base/message_ids.h"

#include <array>

#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

constexpr unsigned char kCmdPowerOnMode = 0xF4;
constexpr unsigned char kCmdDtrMode = 0xFE;

// Radio index -> power-on value.
constexpr std::array<int, 3> kPowerOnValues = {0, 1, 3};

// Decimal value of a digits-only edit text; nullopt when empty. Values past
// the MIFARE range saturate, so they stay out of range.
std::optional<unsigned> decimalValue(std::string_view text) {
    if (text.empty()) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value > 100000 ? value : value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

}  // namespace

int readPowerOnMode(int port) {
    const unsigned char request[] = {kCmdPowerOnMode};
    unsigned char answer[1] = {};
    const int n = Orvex_Transceive(port, request, 1, answer, 1);
    if (n == 1 && (answer[0] & 0x80) != 0) return answer[0] & 0x7F;
    return -1;
}

bool writePowerOnMode(int port, int value) {
    if (value != 0 && value != 1 && value != 3) return false;
    const unsigned char request[] = {kCmdPowerOnMode, static_cast<unsigned char>(value | 0x80)};
    unsigned char answer[64];
    return Orvex_Transceive(port, request, 2, answer, sizeof answer) >= 0;
}

int readDtrMode(int port) {
    const unsigned char request[] = {kCmdDtrMode};
    unsigned char answer[2] = {};
    const int n = Orvex_Transceive(port, request, 1, answer, 2);
    return n >= 1 ? answer[0] + 1 : 0;
}

bool writeDtrMode(int port, bool on) {
    const unsigned char request[] = {kCmdDtrMode, static_cast<unsigned char>(on ? 1 : 0)};
    unsigned char answer[64];
    return Orvex_Transceive(port, request, 2, answer, sizeof answer) >= 0;
}

int powerOnIndexFromValue(int value) { return (value & 0x2) ? 2 : (value & 0x3); }

int powerOnValueFromIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kPowerOnValues.size())) return -1;
    return kPowerOnValues[static_cast<std::size_t>(index)];
}

PowerOnModel::PowerOnModel(int port, bool silentReaderModeOffered, Prompts &prompts)
    : port_(port), silentOffered_(silentReaderModeOffered), prompts_(prompts) {}

bool PowerOnModel::show() {
    const int value = readPowerOnMode(port_);
    if (value < 0) {
        index_ = -1;
        prompts_.showMessage(StringTable::instance().text(msg::kConfigNotRead), MessageIcon::Warning);
        return false;
    }
    index_ = powerOnIndexFromValue(value);
    return true;
}

bool PowerOnModel::set(int index) {
    // Without a choice nothing is sent: the reader keeps its mode.
    const int value = powerOnValueFromIndex(index);
    if (value < 0) return false;
    index_ = index;
    if (writePowerOnMode(port_, value)) return true;
    prompts_.showMessage(StringTable::instance().text(msg::kProgrammingFailed), MessageIcon::Error);
    return false;
}

std::optional<TxPower> decodeTxPower(const unsigned char *answer, int length) {
    if (!answer || length < 2 || length > 3 || (answer[0] & 0x1) == 0) return std::nullopt;
    return TxPower{(answer[1] & 0x1) != 0, (answer[1] & 0x2) != 0};
}

void encodeTxPower(const TxPower &power, unsigned char out[3]) {
    out[0] = 0x03;
    out[1] = static_cast<unsigned char>((power.iso14443Half ? 2 : 0) + (power.iso15693Half ? 1 : 0));
    out[2] = 0x80;
}

std::optional<TxPower> readTxPower(int port) {
    unsigned char answer[3] = {};
    const int n = Orvex_ReadDeviceSettings(port, answer, sizeof answer);
    return decodeTxPower(answer, n);
}

bool writeTxPower(int port, const TxPower &power) {
    unsigned char data[3];
    encodeTxPower(power, data);
    return Orvex_WriteDeviceSettings(port, data, 3) == 0;
}

TxPowerModel::TxPowerModel(int port, Prompts &prompts) : port_(port), prompts_(prompts) {}

bool TxPowerModel::show() {
    if (auto power = readTxPower(port_)) {
        power_ = *power;
        return true;
    }
    power_ = TxPower{};
    prompts_.showMessage(StringTable::instance().text(msg::kTxPowerNotRead), MessageIcon::Warning);
    return false;
}

bool TxPowerModel::set(const TxPower &power) {
    power_ = power;
    if (!writeTxPower(port_, power)) {
        prompts_.showMessage(StringTable::instance().text(msg::kTxPowerNotSet), MessageIcon::Error);
        return false;
    }
    prompts_.showMessage(StringTable::instance().text(msg::kTxPowerSet), MessageIcon::Information);
    return true;
}

SectorBlock absoluteToSectorBlock(std::string_view absolute) {
    const auto n = decimalValue(absolute);
    if (!n) return {};
    if (*n <= 127) return {std::to_string(*n / 4), std::to_string(*n % 4)};
    if (*n <= 255) return {std::to_string(32 + (*n - 128) / 16), std::to_string((*n - 128) % 16)};
    return {};
}

std::string sectorBlockToAbsolute(std::string_view sectorText, std::string_view blockText) {
    const auto sector = decimalValue(sectorText), block = decimalValue(blockText);
    if (!sector || !block) return {};
    if (*sector <= 31) return *block <= 2 ? std::to_string(4 * *sector + *block) : std::string();
    if (*sector <= 39)
        return *block <= 14 ? std::to_string(128 + 16 * (*sector - 32) + *block) : std::string();
    return {};
}

}  // namespace orvex::app
