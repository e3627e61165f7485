#include "params/content_report.h"

#include "base/cp1252.h"
#include "app/string_table.h"

#include <cmath>

namespace orvex::app {
namespace {

constexpr std::size_t kLabelWidth = 18;
constexpr const char *kRule = "-------------------------------------------------\r\n ";  // 49 hyphens

// Byte i of a block, 0 where the block is shorter.
std::uint8_t at(std::span<const std::uint8_t> bytes, std::size_t i) {
    return i < bytes.size() ? bytes[i] : 0;
}

// "%d " for each of bytes[first..first+3] up to the first 0xFF.
std::string blockNumbers(std::span<const std::uint8_t> bytes, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < first + 4 && i < bytes.size() && bytes[i] != 0xFF; ++i)
        out += std::to_string(bytes[i]) + " ";
    return out;
}

std::string line(int id, std::initializer_list<FormatArg> args) { return formatText(reportLabel(id), args); }

std::string typeName(int typeCode) {
    auto &strings = StringTable::instance();
    const std::string name = "report.type." + std::to_string(typeCode);
    return strings.has(name) ? strings.text(name) : strings.text("report.type.unknown");
}

}  // namespace

std::string reportLabelOf(const std::string &text) {
    const std::size_t colon = text.find(':');
    std::string head = colon == std::string::npos ? text : text.substr(0, colon);
    const std::string tail = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const std::size_t length = utf8Length(head);
    if (length < kLabelWidth) head.append(kLabelWidth - length, ' ');
    return head + ":" + (tail.empty() ? " " : tail);
}

std::string reportLabel(int id) { return reportLabelOf(StringTable::instance().text(id)); }

std::string hexDump(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        if (b == 0xFF) break;
        out += formatText("%02X ", {b});
    }
    return out + "\r\n";
}

std::string representationText(int code, bool serialReport) {
    auto &strings = StringTable::instance();
    switch (code) {
        case 0:
            return strings.text(541);
        case 1:
            return strings.text(542);
        case 2:
            return strings.text(564);
        case 3:
            if (serialReport) return strings.text(580);
            break;
        case 4:
            return strings.text(560);
    }
    return strings.format(561, code);
}

std::string dataSetReport(std::span<const std::uint8_t> q) {
    auto &strings = StringTable::instance();
    const int t = at(q, 1) & 0x1F;
    std::string out = reportLabel(538) + typeName(t);
    if (at(q, 1) & 0x80) out += " " + strings.text(557);
    if (at(q, 1) & 0x40) out += " " + strings.text(558);
    out += "\r\n ";
    if (t == 1 || t == 3 || t == 5) {
        out += reportLabel(539) + blockNumbers(q, 2) + "\r\n ";
    } else if (t == 7) {
        const unsigned application = at(q, 2) + 256u * at(q, 3) + 65536u * at(q, 4);
        out += reportLabel(606) + formatText("%06X", {application}) + "\r\n ";
        out += reportLabel(607) + formatText("%02X", {at(q, 5)}) + "\r\n ";
    } else if (t == 8 || t == 9) {
        out += reportLabel(599) + std::to_string(at(q, 2) + 256 * at(q, 3)) + "\r\n ";
        out += reportLabel(605) + std::to_string(at(q, 4)) + "\r\n ";
    }
    out += reportLabel(540) + representationText(at(q, 7), true) + " ";
    out += line(543, {at(q, 8)}) + " ";
    const int to = q.size() >= 12 && q[11] != 0 ? q[11] : 5;
    const int from = q.size() >= 13 && q[12] != 0 ? q[12] : 1;
    out += line(577, {from, to}) + " ";
    return out;
}

std::string serialReport(std::span<const std::uint8_t> d, std::span<const std::uint8_t> p) {
    if (d.size() < 11) return StringTable::instance().text(546);
    std::string out = dataSetReport(d);
    if (d.size() >= 40) {
        out += kRule;
        out += dataSetReport(d.subspan(20));
        out += kRule;
    }
    const std::uint8_t p0 = at(p, 0);
    const std::uint8_t request = at(p, 2);
    out += line(547, {p0 & 0x0F}) + " ";
    out += line((p0 & 0x10) ? 575 : 576, {}) + " ";
    out += line(548, {at(p, 1) * 100}) + " ";
    out += line(553, {request < 32 || request > 127 ? '?' : static_cast<char>(request)}) + " ";
    out += line(513, {at(p, 3) * 100}) + " ";
    return out;
}

std::string wedgeReport(std::span<const std::uint8_t> b) {
    auto &strings = StringTable::instance();
    if (b.size() <= 10) return strings.text(546);
    std::string out = line(537, {b[0] * 0.5}) + " ";
    const int type = b[1] & 0x7F;
    out += reportLabel(538) +
           strings.text(type == 0   ? "report.wedgeType.uid"
                        : type == 1 ? "report.wedgeType.blocks"
                                    : "report.wedgeType.unknown") +
           " ";
    out += reportLabel(539) + blockNumbers(b, 2) + "\r\n" + " ";
    out += reportLabel(540) + representationText(b[7], false) + " ";
    out += line(543, {b[8]}) + " ";
    out += line(544, {std::lround(1000.0 / (8.0 * b[9] + 64.0))}) + " ";
    out += line(513, {(b[10] + 1) * 30}) + " ";
    return out;
}

std::string buildContentReport(const ReaderContent &c, CapabilityFlags flags) {
    std::string out = " " + reportLabel(500);
    if (!c.prefix) return out;
    out += hexDump(*c.prefix);
    const std::pair<int, const std::optional<std::vector<std::uint8_t>> *> sequences[] = {
        {501, &c.suffix}, {502, &c.removal}, {554, &c.separator}};
    for (const auto &[label, block] : sequences) {
        out += " " + reportLabel(label);
        if (!*block) return out;
        out += hexDump(**block);
    }
    out += " -------------------------------------------------\r\n ";
    if (!c.dataFormat) return out;
    if (hasCapability(flags, CAP_PS2)) return out + wedgeReport(*c.dataFormat);
    if (!c.parameters) return out;
    return out + serialReport(*c.dataFormat, *c.parameters);
}

std::string readErrorText(int lastError) {
    return StringTable::instance().format("report.readError", lastError);
}

}  // namespace orvex::app
