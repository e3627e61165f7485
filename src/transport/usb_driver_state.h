// Driver state of attached USB readers, read from sysfs: which reader kinds
// are plugged in without a kernel driver bound, and whether the kernel has
// the CDC-ACM driver a virtual COM reader needs.
#pragma once

#include <string>

namespace orvex {

// Bits of the answer of usbDriverState.
inline constexpr int kFtdiReaderWithoutDriver = 1 << 0;
inline constexpr int kVirtualComReaderWithoutDriver = 1 << 1;

// sysRoot is "/sys" on a live system; tests pass a folder laid out like it.
int usbDriverState(const std::string &sysRoot);

// True when cdc_acm is loaded (sysRoot/module/cdc_acm) or shipped with the
// running kernel, built in or as a module (modulesDir = /lib/modules/RELEASE).
bool virtualComDriverAvailable(const std::string &sysRoot, const std::string &modulesDir);

}  // namespace orvex
