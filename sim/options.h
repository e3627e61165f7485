// Command-line options of the reader simulator, shared by the executable and the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace orvex::sim {

struct Options {
    // Identity and link. Unset values come from the state file, else the factory defaults.
    std::optional<std::string> versionAnswer;  // four characters: type code (3 hex) + version digit
    std::optional<int> variant;                // frame variant 0..3
    std::optional<int> address;                // bus address (variants 0 and 1)
    std::optional<int> baud;                   // rate + line mode in the last two digits

    std::string stateFile;  // INI file with the reader's state; empty = keep it in memory only

    // Timing and fault injection.
    bool wireSpeed = false;     // each byte takes its time on the wire
    int garbage = 0;            // noise bytes sent before each answer
    bool badCheck = false;      // corrupt the BCC / CRC of each answer
    int dropEvery = 0;          // leave every Nth command unanswered (0 = never)
    int delayMs = 0;            // answer this much later
    std::optional<int> status;  // answer every command with this status / reply code
    int hangupAfter = 0;        // hang up halfway through the Nth answer (0 = never)
    int faultsFrom = 1;         // noise, bad checks and delays start with the Nth answer
    int rateJumpAfter = 0;      // after the Nth answer the reader's line changes (0 = never) ...
    int rateJumpTo = 9600;      // ... to this rate + line mode
    bool chained = false;       // answer block reads in the chained format

    // Transponder output while reading.
    std::vector<std::uint8_t> emit;  // text sent unframed (escapes already decoded)
    int everyMs = 0;                 // period of the emitted text (0 = only on request)

    // Tests in the same process: told each command the reader takes (host's
    // command code), on the front-end's thread, before it is carried out.
    std::function<void(std::uint8_t command)> onCommand;
};

// Adds the reader's options to a command line that fills `options`.
void addReaderOptions(CLI::App &app, Options &options);

// What the help text adds after the options: the output modes and odd answers.
extern const char *const kReaderNotes;

// Decodes C-style escapes (\r \n \t \\ \xHH) of an --emit text.
std::vector<std::uint8_t> decodeEscapes(const std::string &text);

}  // namespace orvex::sim
