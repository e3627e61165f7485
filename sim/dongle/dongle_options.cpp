#include "sim/dongle/dongle_options.h"

#include <CLI/CLI.hpp>

namespace orvex::sim::dongle {

namespace {
// What a bare --dongle finds: two readers (one that leaves after a while),
// a reader of the older kind the dialog hides, a phone, and a reader that
// never tells its name.
const char *const kDefaultReaders[] = {
    "Orvex RT2851#0001",    "Orvex RT2851#0002,drop=3000",   "Orvex RT2851#RT2850#0003",
    "Pixel 7,class=5A020C", "Orvex RT2851#0005,silent-name",
};
}  // namespace

void addDongleOptions(CLI::App &app, DongleCommandLine &line) {
    auto &group = *app.add_option_group("Bluetooth dongle");
    group.add_flag("--dongle", line.enabled,
                   "the maker's Bluetooth dongle on the pseudo-terminal (host opens \"PATH BT\"),\n"
                   "with the radio readers below behind it");
    group
        .add_option("--radio-reader", line.radioReaders,
                    "a reader the dongle finds: NAME[,address=HEX12][,version=XXXX][,class=HEX]\n"
                    "[,drop=MS][,drop-every=N][,silent-name]; repeatable (default: a set of five);\n"
                    "drop-every: the link drops after every Nth answer, told only at the next request")
        ->type_name("READER")
        ->allow_extra_args(false);
    group
        .add_option("--inquiry-ms", line.options.inquiryMs, "the dongle's inquiry time at most (default 300)")
        ->check(CLI::Range(0, 120000));
    group.add_option("--name-ms", line.options.nameMs, "answer time of a remote name request (default 25)")
        ->check(CLI::Range(0, 60000));
    group.add_option("--connect-ms", line.options.connectMs, "time of a link set-up (default 40)")
        ->check(CLI::Range(0, 60000));
}

std::string resolveRadioReaders(DongleCommandLine &line) {
    std::vector<std::string> texts = line.radioReaders;
    if (texts.empty()) texts.assign(std::begin(kDefaultReaders), std::end(kDefaultReaders));
    line.options.readers.clear();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string error;
        auto radio = parseRadioReader(texts[i], static_cast<int>(i), error);
        if (!radio) return error;
        line.options.readers.push_back(*radio);
    }
    return {};
}

}  // namespace orvex::sim::dongle
