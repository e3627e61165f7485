/* orvex-identify PORT: opens a reader, prints what it is, closes it.
 *
 *   $ orvex-identify /dev/ttyUSB0
 *   model:   Alder-4
 *   type:    124
 *   version: 5
 */
#include <stdio.h>
#include <string.h>

#include "orvex/orvex.h"

enum { BAUD = 19200, TIMEOUT_MS = 500 };

static const char *openFailure(int result) {
    switch (result) {
        case ORVEX_OPEN_FAILED:
            return "the port cannot be opened";
        case ORVEX_OPEN_NEGATIVE_TIMEOUT:
            return "invalid timeout";
        case ORVEX_OPEN_NO_VERSION:
            return "no reader answered (no valid version answer)";
        case ORVEX_OPEN_HID_REFUSED:
            return "the HID reader refused the connection";
        default:
            return "unknown error";
    }
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s PORT\n  PORT: /dev/ttyUSB0, /dev/pts/3, COM1 (= /dev/ttyS0), ...\n",
                argv[0]);
        return 2;
    }
    const int handle = Orvex_OpenPort(argv[1], BAUD, TIMEOUT_MS);
    if (handle <= 0) {
        fprintf(stderr, "%s: %s: %s (%d)\n", argv[0], argv[1], openFailure(handle), handle);
        return 1;
    }

    char version[64];
    const int length = Orvex_ReadVersion(handle, version, (int)sizeof version - 1);
    if (length < 4) {
        fprintf(stderr, "%s: %s: reading the version failed (error %d)\n", argv[0], argv[1],
                Orvex_GetLastError(handle));
        Orvex_ClosePort(handle);
        return 1;
    }
    char model[64];
    Orvex_GetDeviceName(handle, model, (int)sizeof model);

    printf("model:   %s\n", model);
    printf("type:    %.3s\n", version);
    printf("version: %c\n", version[3]);
    Orvex_ClosePort(handle);
    return 0;
}
