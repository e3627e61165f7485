#include "link/model_table.h"

#include <cstdio>
#include <iterator>

namespace orvex {

namespace {
// The lowest hex digit is the device kind: 1 programmer, 2/3 keyboard wedge,
// 4/5 readers that send over their link. Birch has two code series.
constexpr ModelEntry kModels[] = {
    {"Larch", 0x117},        {"Alder-1", 0x121},      {"Alder-2 PS/2", 0x122},   {"Alder-3 PS/2", 0x123},
    {"Alder-4", 0x124},      {"Alder-5", 0x125},      {"Birch-1", 0x131},        {"Birch-4", 0x134},
    {"Birch-5", 0x135},      {"Cedar-1", 0x141},      {"Cedar-4", 0x144},        {"Cedar-5", 0x145},
    {"Dogwood-1 BT", 0x151}, {"Dogwood-4 BT", 0x154}, {"Dogwood-5 BT", 0x155},   {"Elm-1", 0x161},
    {"Elm-4", 0x164},        {"Elm-5", 0x165},        {"Alder-1 (S002)", 0x171}, {"Birch-1", 0x181},
    {"Birch-4", 0x184},      {"Birch-5", 0x185},      {"Fir-1", 0x191},          {"Fir-4", 0x194},
    {"Fir-5", 0x195},        {"Gum-1", 0x401},        {"Gum-4", 0x404},          {"Gum-5", 0x405},
    {"Hazel-1", 0x411},      {"Hazel-4", 0x414},      {"Hazel-5", 0x415},        {"Ivy-1", 0x421},
    {"Maple HF", 0x435},     {"Juniper-1", 0x451},    {"Juniper-4", 0x454},      {"Juniper-5", 0x455},
};
static_assert(std::size(kModels) == 36);
}  // namespace

std::span<const ModelEntry> modelTable() { return kModels; }

std::string modelName(std::uint32_t typeCode) {
    for (const auto &m : kModels)
        if (m.typeCode == typeCode) return m.name;
    char text[24];
    std::snprintf(text, sizeof text, "Orvex-#%03X", typeCode);
    return text;
}

}  // namespace orvex
