#include "sim/hid/hid_options.h"

#include <CLI/CLI.hpp>

namespace orvex::sim::hid {

void addHidOptions(CLI::App &app, HidOptions &o) {
    auto &group = *app.add_option_group("USB reader in keyboard mode");
    auto *hid =
        group
            .add_option("--hid", o.folder,
                        "simulate a USB reader in HID keyboard mode: NAME.ini and the socket NAME.sock\n"
                        "in DIR (the host's ORVEX_HID_SIM_DIR); switched to virtual COM mode it\n"
                        "reappears on a pseudo-terminal and prints that path")
            ->type_name("DIR");
    group.add_option("--serial", o.serial, "USB serial number (default 73011234); - for none readable")
        ->needs(hid);
    group
        .add_option_function<std::string>(
            "--product",
            [&o](const std::string &text) {
                std::size_t used = 0;
                int id = -1;
                try {
                    id = std::stoi(text, &used, 0);
                } catch (const std::exception &) {
                }
                if (used != text.size() || id < 0 || id > 0xFFFF)
                    throw CLI::ValidationError("--product", "expects a USB product id such as 0x7301");
                o.productId = id;
            },
            "USB product id (default 0x7301)")
        ->type_name("ID")
        ->needs(hid);
    group.add_option("--report-length", o.reportLength, "report length, report ID included (default 9)")
        ->check(CLI::Range(4, 65))
        ->needs(hid);
    group.add_option("--layout", o.layout, "key table of a factory-fresh reader: de or us (default de)")
        ->check(CLI::IsMember({"de", "us"}))
        ->needs(hid);
    group
        .add_option("--key-answer-delay-ms", o.keyAnswerDelayMs,
                    "answer key queries (0x11) MS late; the reader serves nothing meanwhile")
        ->type_name("MS")
        ->check(CLI::Range(0, 10000))
        ->needs(hid);
    group
        .add_option("--key-answer-delay-at", o.keyAnswerDelayAt,
                    "delay only the answer to the Nth key query (default: every one)")
        ->type_name("N")
        ->check(CLI::Range(0, 1000000))
        ->needs(hid);
    group
        .add_option("--unplug-after-keys", o.unplugAfterKeyCommands,
                    "unplug (close the host's connection, leave the folder) after N key queries\n"
                    "and key set commands (0x11, 0x12) were served")
        ->type_name("N")
        ->check(CLI::Range(0, 1000000))
        ->needs(hid);
}

}  // namespace orvex::sim::hid
