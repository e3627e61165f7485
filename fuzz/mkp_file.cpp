// .mkp loader: any file text loads, and the key sequences read come back the
// same after saving them and loading again.
#include "sheets/config_files.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace orvex::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    IniFile file;
    file.parseText(std::string_view(reinterpret_cast<const char *>(data), size));

    MkpConfiguration config;
    readMkp(file, config);

    IniFile saved;
    writeMkp(saved, config);
    IniFile reloaded;
    reloaded.parseText(saved.serialize());
    MkpConfiguration back;
    if (!readMkp(reloaded, back).empty()) std::abort();
    if (!(back.prefix == config.prefix && back.suffix == config.suffix &&
          back.separator == config.separator && back.removal == config.removal))
        std::abort();
    return 0;
}
