// Datagrams as the simulated readers' network module receives them from the
// network: any bytes, including address setups that do not fit.
#include <cstddef>
#include <cstdint>

#include "sim/lan/network_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace orvex::sim::lan;
    static const ModuleIdentity identity;
    NetworkModule module(identity, ModuleSettings{{192, 168, 1, 30}, 8, {}, 10001, 0, {}, "ORVEXLAN"});
    auto outcome = module.handle(data, size);
    if (outcome.answer) (void)outcome.answer->size();
    (void)module.settings().name.size();
    return 0;
}
