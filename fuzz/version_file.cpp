// Version file lookups: any bytes from the server parse, the lookups follow
// whatever alias the file names, and the compare is a strict order (never
// both directions newer, a file never newer than itself).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/update_status.h"
#include "update/version_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace orvex::update;
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    FetchResult fetched;
    fetched.outcome = FetchResult::Outcome::Ok;
    fetched.body = std::string(text);
    const ProgramStatus program = evaluateProgram(fetched, "2.24", "2026-01-15");
    const DeviceStatus device = evaluateDevice(fetched, {"Alder-4", "124", "1.07"});
    (void)device;

    // The type code taken from the input itself.
    const VersionFile file(text);
    const std::string typeCode(text.substr(0, 3));
    const std::string section = file.aliasFor(typeCode);
    const ProductEntry entry = file.product(section);

    const ProductEntry &a = program.newest;
    const ProductEntry &b = entry;
    if (isNewer(a.version, a.build, a.version, a.build)) std::abort();
    if (isNewer(a.version, a.build, b.version, b.build) && isNewer(b.version, b.build, a.version, a.build))
        std::abort();
    return 0;
}
