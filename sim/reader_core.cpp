#include "sim/reader_core.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/command_set.h"

namespace orvex::sim {
namespace {

constexpr std::uint8_t kRelayOn = 0x11;   // DC1
constexpr std::uint8_t kRelayOff = 0x13;  // DC3
constexpr std::uint8_t kBuzzer = 0x07;    // BEL
constexpr std::uint8_t kDefaultRequest = '?';
constexpr std::uint8_t kRestartCommand = 0xF6;

// Status bytes of variants 0/1 and reply codes of variants 2/3 for refused commands.
constexpr std::uint8_t kStatusUnknownCommand = 3;
constexpr std::uint8_t kStatusBadData = 25;
constexpr std::uint8_t kReplyRefused = 0xCC;
constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kStatusWarning = 0x20;  // the host still takes the answer

ReaderState loadInitialState(const Options &options) {
    IdentityOverride identity{options.versionAnswer, options.variant, options.address, options.baud};
    if (!options.stateFile.empty()) {
        std::ifstream in(options.stateFile, std::ios::binary);
        if (in) {
            std::ostringstream text;
            text << in.rdbuf();
            std::string error;
            auto state = stateFromText(text.str(), identity, &error);
            if (!state) throw std::runtime_error(options.stateFile + ": " + error);
            return *state;
        }
    }
    ReaderState fresh;
    applyIdentity(fresh, identity);
    return factoryState(fresh);
}

// Frames are sent in one piece; a pause this long inside one means the rest was lost.
std::chrono::nanoseconds interFrameGap(const ReaderLine &line) {
    return std::max<std::chrono::nanoseconds>(std::chrono::milliseconds(50), line.byteTime() * 20);
}

}  // namespace

ReaderCore::ReaderCore(Options options)
    : options_(std::move(options)),
      state_(loadInitialState(options_)),
      line_(ReaderLine::fromBaudValue(state_.baud)),
      parser_(state_.variant) {
    persist();
}

std::vector<Transmission> ReaderCore::receive(const std::uint8_t *data, std::size_t length,
                                              Clock::time_point now) {
    std::lock_guard lock(mutex_);
    std::vector<Transmission> out;
    if (!parser_.empty() && now - lastByte_ > interFrameGap(line_)) parser_.reset();
    lastByte_ = now;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t byte = data[i];
        if (parser_.empty() && isReading(state_) &&
            !parser_.canStartFrame(byte, static_cast<std::uint8_t>(state_.address))) {
            handleRawByte(byte, out);
            continue;
        }
        parser_.push(byte);
        while (auto request = parser_.take()) handleRequest(*request, out);
    }
    return out;
}

void ReaderCore::lineNoise() {
    std::lock_guard lock(mutex_);
    ++garbled_;
    parser_.reset();
}

void ReaderCore::handleRequest(const Request &request, std::vector<Transmission> &out) {
    if (state_.variant <= 1 && request.address != state_.address) return;  // another reader on the bus
    int number = ++commands_;
    if (options_.dropEvery > 0 && number % options_.dropEvery == 0) return;  // request lost
    if (options_.onCommand) options_.onCommand(request.command);

    ReaderState before = state_;
    std::uint8_t code;
    CommandResult result;
    if (options_.status) {
        code = static_cast<std::uint8_t>(*options_.status);
        bool accepted =
            state_.variant <= 1 ? (code == kStatusOk || code == kStatusWarning) : code == request.wireCommand;
        ReaderState scratch = state_;
        result = execute(accepted ? state_ : scratch, request);
        if (!accepted) result.lineAfter.reset();
    } else {
        result = execute(state_, request);
        code = result.outcome == Outcome::Ok ? successCode(request) : errorCode(result.outcome);
        if (result.outcome != Outcome::Ok) result.data.clear();
    }
    if (state_ != before) persist();

    const bool faulty = number >= options_.faultsFrom;
    const std::size_t noise = faulty ? static_cast<std::size_t>(options_.garbage) : 0;
    Transmission t;
    t.bytes.assign(noise, 0x00);
    Bytes frame = encodeResponse(state_.variant, static_cast<std::uint8_t>(state_.address), code, result.data,
                                 options_.chained && result.blockRead, faulty && options_.badCheck);
    t.bytes.insert(t.bytes.end(), frame.begin(), frame.end());
    t.delay = std::chrono::milliseconds(faulty ? options_.delayMs : 0);
    if (options_.hangupAfter == number) t.hangupAfter = noise + frame.size() / 2;
    t.lineAfter = result.lineAfter;
    // A reader whose line changes by itself (a jumper, a firmware fault): the
    // state still names the old rate, only the UART moves.
    if (options_.rateJumpAfter == number) t.lineAfter = ReaderLine::fromBaudValue(options_.rateJumpTo);
    t.restartAfter = request.command == kRestartCommand && result.outcome == Outcome::Ok;
    out.push_back(std::move(t));
}

void ReaderCore::handleRawByte(std::uint8_t byte, std::vector<Transmission> &out) {
    std::uint8_t request = state_.parameter.size() >= 3 ? state_.parameter[2] : kDefaultRequest;
    if (byte == request) {
        if (!options_.emit.empty()) {
            Transmission t;
            t.bytes = options_.emit;
            t.spontaneous = true;
            out.push_back(std::move(t));
        }
    } else if (byte == kRelayOn || byte == kRelayOff) {
        ++state_.relay;
        persist();
    } else if (byte == kBuzzer) {
        ++state_.buzzer;
        persist();
    }
}

std::uint8_t ReaderCore::successCode(const Request &request) const {
    return state_.variant <= 1 ? kStatusOk : request.wireCommand;
}

std::uint8_t ReaderCore::errorCode(Outcome outcome) const {
    if (state_.variant >= 2) return kReplyRefused;
    return outcome == Outcome::UnknownCommand ? kStatusUnknownCommand : kStatusBadData;
}

ReaderLine ReaderCore::line() const {
    std::lock_guard lock(mutex_);
    return line_;
}

void ReaderCore::transmitted(const Transmission &transmission) {
    if (!transmission.lineAfter) return;
    std::lock_guard lock(mutex_);
    line_ = *transmission.lineAfter;
}

std::optional<Transmission> ReaderCore::spontaneousOutput() const {
    std::lock_guard lock(mutex_);
    if (options_.emit.empty() || options_.everyMs <= 0 || !isEmitting(state_)) return std::nullopt;
    Transmission t;
    t.bytes = options_.emit;
    t.spontaneous = true;
    return t;
}

ReaderState ReaderCore::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void ReaderCore::setState(const ReaderState &state) {
    modifyState([&](ReaderState &s) { s = state; });
}

void ReaderCore::modifyState(const std::function<void(ReaderState &)> &change) {
    std::lock_guard lock(mutex_);
    int variant = state_.variant;
    change(state_);
    line_ = ReaderLine::fromBaudValue(state_.baud);
    if (state_.variant != variant) parser_.setVariant(state_.variant);
    persist();
}

int ReaderCore::commandsSeen() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

int ReaderCore::linesGarbled() const {
    std::lock_guard lock(mutex_);
    return garbled_;
}

void ReaderCore::persist() {
    if (options_.stateFile.empty()) return;
    std::string error;
    if (!stateToIni(state_).saveAtomically(options_.stateFile, &error))
        std::fprintf(stderr, "orvex-readersim: cannot write state: %s\n", error.c_str());
}

}  // namespace orvex::sim
