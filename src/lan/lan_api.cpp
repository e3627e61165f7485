// LAN entries of the C API. Until the LAN transport is built they report that
// no device was found.
#include "orvex/orvex.h"

#include <cstring>

namespace {
int emptyList(char *buffer, int size) {
    if (!buffer || size < 1) return 0;
    buffer[0] = '\0';
    return 1;
}
}  // namespace

extern "C" {
int Orvex_LanSearchAll(char *buffer, int size) { return emptyList(buffer, size); }
int Orvex_LanSearch(char *buffer, int size) { return emptyList(buffer, size); }
int Orvex_LanCheck(const char *) { return 0; }
int Orvex_LanReadSettings(const char *, char *, char *, char *, char *) { return -1; }
int Orvex_LanReadAddress(const char *, char *target, int size, int *port) {
    if (!target || !port) return -18;
    if (size < 16) return -5;
    return -1;
}
int Orvex_LanSetAddress(const char *, const char *, int) { return -1; }
int Orvex_LanConfigure(const char *, const char *, const char *, const char *) { return -1; }
}
