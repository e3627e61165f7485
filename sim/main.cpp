// orvex-readersim: one simulated reader on a pseudo-terminal. Prints the terminal's path,
// then serves until SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <exception>
#include <pthread.h>
#include <string>
#include <vector>

#include "sim/command_line.h"
#include "sim/dongle/pty_dongle.h"
#include "sim/hid/usb_reader.h"
#include "sim/lan/lan_reader.h"
#include "sim/pty_reader.h"

int main(int argc, char **argv) {
    const auto parsed = orvex::sim::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::fputs(orvex::sim::helpText().c_str(), stdout);
        return 0;
    }
    if (parsed.version) {
        std::puts(orvex::sim::versionText().c_str());
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "orvex-readersim: %s\n(try --help)\n", parsed.error.c_str());
        return 2;
    }
    // --lan: a LAN reader (TCP data link, network module) instead of a pseudo-terminal.
    if (parsed.lan.enabled) return orvex::sim::lan::runLanReader(parsed.reader, parsed.lan);
    // --hid: a USB reader in keyboard mode in the simulated-device folder.
    if (!parsed.hid.folder.empty()) return orvex::sim::hid::runUsbReader(parsed.reader, parsed.hid);

    // Block the stop signals before any thread starts, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        int signal = 0;
        if (parsed.dongle.enabled) {
            // --dongle: the dongle on the terminal, the readers behind it on the radio.
            orvex::sim::dongle::PtyDongle dongle(parsed.dongle.options, parsed.reader);
            std::printf("%s\n", dongle.slavePath().c_str());
            std::fflush(stdout);
            sigwait(&stopSignals, &signal);
            dongle.stop();
            return 0;
        }
        orvex::sim::PtyReader reader(parsed.reader);
        std::printf("%s\n", reader.slavePath().c_str());
        std::fflush(stdout);
        sigwait(&stopSignals, &signal);
        reader.stop();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orvex-readersim: %s\n", e.what());
        return 1;
    }
    return 0;
}
