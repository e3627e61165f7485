// Reader models by type code (the first three hex digits of the version answer).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orvex {

struct ModelEntry {
    const char *name;
    std::uint32_t typeCode;
};

// The fixed table, in lookup order (the first match wins).
std::span<const ModelEntry> modelTable();

// Display name of a type code; "Orvex-#%03X" for codes not in the table.
std::string modelName(std::uint32_t typeCode);

}  // namespace orvex
