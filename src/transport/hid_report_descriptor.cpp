#include "transport/hid_report_descriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace orvex {
namespace {

// Item prefix: bits 0-1 data size (3 = four bytes), bits 2-3 type, bits 4-7 tag.
enum ItemType { kMain = 0, kGlobal = 1 };
constexpr int kTagInput = 8, kTagOutput = 9;  // main
constexpr int kTagReportSize = 7, kTagReportId = 8, kTagReportCount = 9, kTagPush = 10,
              kTagPop = 11;  // global
constexpr std::uint8_t kLongItem = 0xFE;

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

int bytesForBits(std::uint64_t bits) { return static_cast<int>((bits + 7) / 8); }

}  // namespace

HidReportLengths reportLengthsFromDescriptor(std::span<const std::uint8_t> d) {
    Globals globals;
    std::vector<Globals> stack;
    std::map<std::uint32_t, std::uint64_t> inputBits, outputBits;  // by report ID

    std::size_t i = 0;
    while (i < d.size()) {
        const std::uint8_t prefix = d[i];
        if (prefix == kLongItem) {
            if (i + 1 >= d.size()) break;
            i += 3 + d[i + 1];
            continue;
        }
        static constexpr std::size_t kSizes[] = {0, 1, 2, 4};
        const std::size_t size = kSizes[prefix & 3];
        if (i + 1 + size > d.size()) break;
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < size; ++b) value |= std::uint32_t{d[i + 1 + b]} << (8 * b);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == kGlobal) {
            switch (tag) {
                case kTagReportSize:
                    globals.reportSize = value;
                    break;
                case kTagReportCount:
                    globals.reportCount = value;
                    break;
                case kTagReportId:
                    globals.reportId = value;
                    break;
                case kTagPush:
                    stack.push_back(globals);
                    break;
                case kTagPop:
                    if (!stack.empty()) {
                        globals = stack.back();
                        stack.pop_back();
                    }
                    break;
                default:
                    break;
            }
        } else if (type == kMain && (tag == kTagInput || tag == kTagOutput)) {
            auto &bits = tag == kTagInput ? inputBits : outputBits;
            bits[globals.reportId] += std::uint64_t{globals.reportSize} * globals.reportCount;
        }
        i += 1 + size;
    }

    // One byte for the report ID in front, whether or not the device numbers its reports.
    const auto longest = [](const std::map<std::uint32_t, std::uint64_t> &bits) {
        int length = 0;
        for (const auto &[id, count] : bits) length = std::max(length, bytesForBits(count) + 1);
        return length;
    };
    return {longest(inputBits), longest(outputBits)};
}

}  // namespace orvex
