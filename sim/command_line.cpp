#include "sim/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace orvex::sim {
namespace {

std::unique_ptr<CLI::App> makeParser(CommandLine &line) {
    auto app = std::make_unique<CLI::App>(
        "Simulates one Orvex reader on a new pseudo-terminal. Prints the terminal's path\n"
        "as the first line, then runs until killed (SIGTERM, SIGINT). With --lan it is a\n"
        "LAN reader instead, inside a network namespace of its own (tools/netns-lab). With\n"
        "--hid DIR it is a USB reader in keyboard mode: the first line is its socket path,\n"
        "and a line with the new path follows each switch of its USB mode.",
        "orvex-readersim");
    app->set_help_flag();  // help is reported, not printed by the parser
    app->add_flag("-h,--help", line.help, "show this text");
    app->allow_extras(false);
    app->get_formatter()->column_width(30);
    // --flag=value is refused: every flag is a switch.
    app->option_defaults()->disable_flag_override();
    app->add_flag("--version", line.version, "show the simulator's version");
    addReaderOptions(*app, line.reader);
    lan::addLanOptions(*app, line.lan);
    dongle::addDongleOptions(*app, line.dongle);
    hid::addHidOptions(*app, line.hid);
    app->footer(kReaderNotes);
    return app;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string> &args) {
    CommandLine line;
    auto app = makeParser(line);
    // CLI11 takes the arguments in reverse order.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app->parse(reversed);
    } catch (const CLI::ParseError &e) {
        if (!line.help && !line.version) line.error = e.what();
    }
    if (line.error.empty() && line.dongle.enabled) line.error = dongle::resolveRadioReaders(line.dongle);
    if (line.error.empty() && line.dongle.enabled && line.lan.enabled)
        line.error = "--dongle and --lan exclude each other";
    return line;
}

std::string helpText() {
    CommandLine line;
    return makeParser(line)->help();
}

std::string versionText() {
#ifdef ORVEX_VERSION
    return "orvex-readersim " ORVEX_VERSION "\nCopyright (C) 2026 Qel Applikationen GmbH";
#else
    return "orvex-readersim";
#endif
}

}  // namespace orvex::sim
