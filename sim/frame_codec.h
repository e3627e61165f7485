// The reader's side of the frame protocol: request frames in, response frames out.
//
//   variant 0  02 addr cmd len data.. BCC        answer 02 addr status len data.. BCC
//   variant 1  addr cmd len data.. CRClo CRChi   answer addr status len data.. CRClo CRChi
//   variant 2/3  1E cmd' len data'..             answer 1E reply len data..
//
// Compact frames (2/3) carry translated command codes; the parser maps them back to the
// host's codes so one command set serves every variant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvex::sim {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kCompactStart = 0x1E;
constexpr std::uint8_t kChainEnd = 0xFF;  // length byte of a chained answer and its end mark

struct Request {
    std::uint8_t address = 0;      // variants 0 and 1
    std::uint8_t wireCommand = 0;  // command byte as received
    std::uint8_t command = 0;      // the host's command code
    Bytes data;                    // the host's data bytes
    std::size_t wireLength = 0;    // frame length on the wire
};

// The host command and data behind a compact-frame command byte and data.
void untranslate(int variant, std::uint8_t wireCommand, const Bytes &wireData, std::uint8_t &command,
                 Bytes &data);

// Collects received bytes and cuts request frames out of them. Frames that fail their
// check are skipped byte by byte until a valid one lines up.
class RequestParser {
public:
    explicit RequestParser(int variant) : variant_(variant) {}

    void setVariant(int variant);
    void push(std::uint8_t byte) { buffer_.push_back(byte); }
    std::optional<Request> take();
    void reset() { buffer_.clear(); }
    bool empty() const { return buffer_.empty(); }

    // Whether `byte` can begin a request frame for a reader at `address`.
    bool canStartFrame(std::uint8_t byte, std::uint8_t address) const;

private:
    int variant_;
    Bytes buffer_;
};

// Builds one answer frame. `chained` forces the chained data format; data too long for one
// length byte is always chained. `badCheck` inverts the BCC / CRC.
Bytes encodeResponse(int variant, std::uint8_t address, std::uint8_t status, const Bytes &data, bool chained,
                     bool badCheck);

// Data bytes per link of a chained answer.
constexpr std::size_t kChainLink = 16;

}  // namespace orvex::sim
