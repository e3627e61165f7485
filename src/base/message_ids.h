// Numbers of the string table's messages that code refers to by meaning.
// One place for each number, so a message is never redefined per file.
#pragma once

namespace orvex::app::msg {

inline constexpr int kWrongModel = 141;             // the file belongs to another reader model
inline constexpr int kProgrammingDone = 509;        // "Programmierung erfolgreich abgeschlossen"
inline constexpr int kProgrammingFailed = 510;      // an error while programming
inline constexpr int kSaveFirst = 516;              // save the values held first?
inline constexpr int kDataPageCountError = 517;     // character count on the data page
inline constexpr int kConfigNotRead = 519;          // the configuration could not be read
inline constexpr int kNoConnection = 522;           // no connection to the reader
inline constexpr int kUnsupportedModel = 523;       // this device type is not supported
inline constexpr int kInputError = 532;             // "Eingabefehler"
inline constexpr int kLanguageMissing = 545;        // the English string file could not be loaded
inline constexpr int kPureProgrammer = 549;         // a pure programmer cannot be talked to
inline constexpr int kBackToReaderMode = 587;       // switch the reader back to reader mode?
inline constexpr int kBaudCorrected = 588;          // the stored baud rate was corrected
inline constexpr int kCannotLoad = 610;             // "Werte konnten nicht geladen werden!"
inline constexpr int kTxPowerNotRead = 10136;       // transmit power could not be read
inline constexpr int kTxPowerSet = 10137;           // transmit power set
inline constexpr int kTxPowerNotSet = 10138;        // transmit power could not be set
inline constexpr int kFactoryResetWarning = 10139;  // what a factory reset does
inline constexpr int kFactoryResetConfirm = 10140;  // really take the factory settings?
inline constexpr int kFactoryResetFailed = 10141;
inline constexpr int kFactoryResetDone = 10142;
inline constexpr int kIntegerRange = 61714;  // enter a whole number between %1 and %2

}  // namespace orvex::app::msg
