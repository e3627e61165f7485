#include "keys/key_names.h"

#include "base/keyboard_layout.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace orvex::app {

namespace {

struct CodeName {
    uint8_t code;
    const char *name;
};

constexpr CodeName kControlCodes[] = {
    {0x00, "NUL"},    {0x01, "SOH"},
    {0x02, "STX"},    {0x03, "ETX"},
    {0x04, "EOT"},    {0x05, "ENQ"},
    {0x06, "ACK"},    {0x07, "BEL (Buzzer)"},
    {0x08, "BS"},     {0x09, "HT (Tab)"},
    {0x0A, "LF"},     {0x0B, "VT"},
    {0x0C, "FF"},     {0x0D, "CR (Enter)"},
    {0x0E, "SO"},     {0x0F, "SI"},
    {0x10, "DLE"},    {0x11, "DC1 (RelaisOn)"},
    {0x12, "DC2"},    {0x13, "DC3 (RelaisOff)"},
    {0x14, "DC4"},    {0x15, "NAK"},
    {0x16, "SYN"},    {0x17, "ETB"},
    {0x18, "CAN"},    {0x19, "EM"},
    {0x1A, "SUB"},    {0x1B, "ESC"},
    {0x1C, "FS"},     {0x1D, "GS"},
    {0x1E, "RS"},     {0x1F, "US"},
    {0x20, "SP"},     {0x7F, "DEL"},
    {0x80, "F1"},     {0x81, "F2"},
    {0x82, "F3"},     {0x83, "F4"},
    {0x84, "F5"},     {0x85, "F6"},
    {0x86, "F7"},     {0x87, "F8"},
    {0x88, "F9"},     {0x89, "F10"},
    {0x8A, "F11"},    {0x8B, "F12"},
    {0x8C, "Shift+"}, {0x8D, "Control+"},
    {0x8E, "Alt+"},   {0x8F, "Wait 100"},
};
static_assert(std::size(kControlCodes) == 50);

// Input-list positions whose text is not the character itself.
constexpr CodeName kInputListExceptions[] = {
    {0x27, "\xB4"},  // the acute accent stands in for the apostrophe ...
    {0x5C, "\\ "},
    {0x60, "'"},  // ... and the apostrophe for the grave accent
};

constexpr CodeName kKeyNames[] = {
    {0x08, "BACKSPACE"}, {0x0D, "CR"},       {0x10, "Shift"},   {0x11, "Control"},  {0x12, "Alt"},
    {0x20, "SPACE"},     {0x60, "NUMPAD0"},  {0x61, "NUMPAD1"}, {0x62, "NUMPAD2"},  {0x63, "NUMPAD3"},
    {0x64, "NUMPAD4"},   {0x65, "NUMPAD5"},  {0x66, "NUMPAD6"}, {0x67, "NUMPAD7"},  {0x68, "NUMPAD8"},
    {0x69, "NUMPAD9"},   {0x6A, "MULTIPLY"}, {0x6B, "ADD"},     {0x6D, "SUBTRACT"}, {0x6E, "DECIMAL"},
    {0x70, "F1"},        {0x71, "F2"},       {0x72, "F3"},      {0x73, "F4"},       {0x74, "F5"},
    {0x75, "F6"},        {0x76, "F7"},       {0x77, "F8"},      {0x78, "F9"},       {0x79, "F10"},
    {0x7A, "F11"},       {0x7B, "F12"},      {0x1B, "ESCAPE"},  {0x09, "TAB"},
};
static_assert(std::size(kKeyNames) == 34);

constexpr CodeName kExtendedKeys[] = {
    {kVkAltGr, "Alt Gr"}, {0x6F, "DIVIDE"}, {0x21, "Prior"},  {0x22, "Next"},
    {0x23, "End"},        {0x24, "Home"},   {0x25, "Left"},   {0x27, "Right"},
    {0x26, "Up"},         {0x28, "Down"},   {0x2D, "Insert"}, {0x2E, "Delete"},
};

// Keys whose release is marked in the lists, so press and release differ.
constexpr uint8_t kMarkedReleases[] = {0x0D, 0x10, 0x11, 0x12, kVkAltGr};

// Set-1 make code -> set-2 make code of a PC/AT keyboard; right Shift, Num
// Lock, Scroll Lock and SysRq are left out (0x00) like the unused positions.
constexpr std::array<uint8_t, 0x5A> kSet1ToSet2 = {
    0x00, 0x76, 0x16, 0x1E, 0x26, 0x25, 0x2E, 0x36, 0x3D, 0x3E, 0x46, 0x45, 0x4E, 0x55, 0x66,
    0x0D, 0x15, 0x1D, 0x24, 0x2D, 0x2C, 0x35, 0x3C, 0x43, 0x44, 0x4D, 0x54, 0x5B, 0x5A, 0x14,
    0x1C, 0x1B, 0x23, 0x2B, 0x34, 0x33, 0x3B, 0x42, 0x4B, 0x4C, 0x52, 0x0E, 0x12, 0x5D, 0x1A,
    0x22, 0x21, 0x2A, 0x32, 0x31, 0x3A, 0x41, 0x49, 0x4A, 0x00, 0x7C, 0x11, 0x29, 0x58, 0x05,
    0x06, 0x04, 0x0C, 0x03, 0x0B, 0x83, 0x0A, 0x01, 0x09, 0x00, 0x00, 0x6C, 0x75, 0x7D, 0x7B,
    0x6B, 0x73, 0x74, 0x79, 0x69, 0x72, 0x7A, 0x70, 0x71, 0x00, 0x00, 0x61, 0x78, 0x07, 0x00,
};

struct VkPair {
    uint8_t from, to;
};
// Keys that come from the layout with the extended flag set ...
constexpr VkPair kExtendedVk[] = {{0x12, kVkAltGr}, {0xBD, 0x6F}};
// ... and the number-pad keys that the layout reports as navigation keys.
constexpr VkPair kNumberPadVk[] = {
    {0x21, 0x69}, {0x22, 0x63}, {0x23, 0x61}, {0x24, 0x67}, {0x25, 0x64},
    {0x26, 0x68}, {0x27, 0x66}, {0x28, 0x62}, {0x2D, 0x60}, {0x2E, 0x6E},
};

template <size_t N>
const char *nameIn(const CodeName (&table)[N], uint8_t code) {
    for (const CodeName &e : table)
        if (e.code == code) return e.name;
    return nullptr;
}

template <size_t N>
uint8_t mapIn(const VkPair (&table)[N], uint8_t vk) {
    for (const VkPair &p : table)
        if (p.from == vk) return p.to;
    return vk;
}

}  // namespace

std::string codeName(uint8_t code) {
    if (const char *name = nameIn(kControlCodes, code)) return name;
    return std::string(1, static_cast<char>(code));
}

std::string inputListText(uint8_t code) {
    if (code >= kInputListSize) return {};
    if (const char *text = nameIn(kInputListExceptions, code)) return text;
    return codeName(code);
}

std::string keyName(uint8_t vk, bool down) {
    std::string name;
    if (const char *n = nameIn(kKeyNames, vk))
        name = n;
    else if (const char *e = nameIn(kExtendedKeys, vk))
        name = e;
    else if (uint8_t ch = hostKeyboardLayout().vkToChar(vk); ch == '+')
        name = "PLUS";
    else if (ch != 0)
        name = std::string(1, static_cast<char>(ch));
    else
        return {};
    if (!down &&
        std::find(std::begin(kMarkedReleases), std::end(kMarkedReleases), vk) != std::end(kMarkedReleases))
        name += " - ";
    return name;
}

bool isExtended(uint8_t vk) { return nameIn(kExtendedKeys, vk) != nullptr; }

std::optional<uint8_t> toSet2(uint8_t scan) {
    if (scan >= kSet1ToSet2.size()) return std::nullopt;
    return kSet1ToSet2[scan];
}

uint8_t fromSet2(uint8_t byte) {
    auto it = std::find(kSet1ToSet2.begin(), kSet1ToSet2.end(), byte);
    return it == kSet1ToSet2.end() ? 0xFF : static_cast<uint8_t>(it - kSet1ToSet2.begin());
}

uint8_t normaliseVk(uint8_t vk, bool extended) {
    return extended ? mapIn(kExtendedVk, vk) : mapIn(kNumberPadVk, vk);
}

}  // namespace orvex::app
