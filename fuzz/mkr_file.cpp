// .mkr loader: any file text loads, and the sequences read come back the same
// after saving them and loading again. The first byte picks the reader kind.
#include "sheets/config_files.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace orvex::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    constexpr CapabilityFlags kinds[] = {0, CAP_TWO_DATA_BLOCKS, CAP_HID, CAP_HID | CAP_TWO_DATA_BLOCKS};
    const CapabilityFlags flags = kinds[data[0] % 4];
    IniFile file;
    file.parseText(std::string_view(reinterpret_cast<const char *>(data + 1), size - 1));

    MkrConfiguration config;
    readMkr(file, flags, config);

    IniFile saved;
    writeMkr(saved, config, flags);
    IniFile reloaded;
    reloaded.parseText(saved.serialize());
    MkrConfiguration back;
    if (!readMkr(reloaded, flags, back).empty()) std::abort();
    if (!(back.prefix == config.prefix && back.suffix == config.suffix && back.removal == config.removal &&
          back.separator == config.separator))
        std::abort();
    return 0;
}
