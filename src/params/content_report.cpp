#include "params/content_report.h"

#include "base/cp1252.h"
#include "app/string_table.h"

#include <cmath>

namespace orvex::app {
namespace {

constexpr std::size_t kLabelWidth = 18;
constexpr const char *kRule = "-------------------------------------------------\r\n ";  // 49 hyphens

// Byte i of a block, 0 where the block is shorter.
std::uint8_t At(std::span<const std::uint8_t> bytes, std::size_t i) {
    return i < bytes.size() ? bytes[i] : 0;
}

// "%d " for each of bytes[first..first+3] up to the first 0xFF.
std::string BlockNumbers(std::span<const std::uint8_t> bytes, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < first + 4 && i < bytes.size() && bytes[i] != 0xFF; ++i)
        out += std::to_string(bytes[i]) + " ";
    return out;
}

std::string Line(int id, std::initializer_list<FormatArg> args) { return FormatText(ReportLabel(id), args); }

std::string TypeName(int typeCode) {
    auto &strings = StringTable::instance();
    const std::string name = "report.type." + std::to_string(typeCode);
    return strings.has(name) ? strings.text(name) : strings.text("report.type.unknown");
}

}  // namespace

std::string ReportLabelOf(const std::string &text) {
    const std::size_t colon = text.find(':');
    std::string head = colon == std::string::npos ? text : text.substr(0, colon);
    const std::string tail = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const std::size_t length = Utf8Length(head);
    if (length < kLabelWidth) head.append(kLabelWidth - length, ' ');
    return head + ":" + (tail.empty() ? " " : tail);
}

std::string ReportLabel(int id) { return ReportLabelOf(StringTable::instance().text(id)); }

std::string HexDump(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        if (b == 0xFF) break;
        out += FormatText("%02X ", {b});
    }
    return out + "\r\n";
}

std::string RepresentationText(int code, bool serialReport) {
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

std::string DataSetReport(std::span<const std::uint8_t> q) {
    auto &strings = StringTable::instance();
    const int t = At(q, 1) & 0x1F;
    std::string out = ReportLabel(538) + TypeName(t);
    if (At(q, 1) & 0x80) out += " " + strings.text(557);
    if (At(q, 1) & 0x40) out += " " + strings.text(558);
    out += "\r\n ";
    if (t == 1 || t == 3 || t == 5) {
        out += ReportLabel(539) + BlockNumbers(q, 2) + "\r\n ";
    } else if (t == 7) {
        const unsigned application = At(q, 2) + 256u * At(q, 3) + 65536u * At(q, 4);
        out += ReportLabel(606) + FormatText("%06X", {application}) + "\r\n ";
        out += ReportLabel(607) + FormatText("%02X", {At(q, 5)}) + "\r\n ";
    } else if (t == 8 || t == 9) {
        out += ReportLabel(599) + std::to_string(At(q, 2) + 256 * At(q, 3)) + "\r\n ";
        out += ReportLabel(605) + std::to_string(At(q, 4)) + "\r\n ";
    }
    out += ReportLabel(540) + RepresentationText(At(q, 7), true) + " ";
    out += Line(543, {At(q, 8)}) + " ";
    const int to = q.size() >= 12 && q[11] != 0 ? q[11] : 5;
    const int from = q.size() >= 13 && q[12] != 0 ? q[12] : 1;
    out += Line(577, {from, to}) + " ";
    return out;
}

std::string SerialReport(std::span<const std::uint8_t> d, std::span<const std::uint8_t> p) {
    if (d.size() < 11) return StringTable::instance().text(546);
    std::string out = DataSetReport(d);
    if (d.size() >= 40) {
        out += kRule;
        out += DataSetReport(d.subspan(20));
        out += kRule;
    }
    const std::uint8_t p0 = At(p, 0);
    const std::uint8_t request = At(p, 2);
    out += Line(547, {p0 & 0x0F}) + " ";
    out += Line((p0 & 0x10) ? 575 : 576, {}) + " ";
    out += Line(548, {At(p, 1) * 100}) + " ";
    out += Line(553, {request < 32 || request > 127 ? '?' : static_cast<char>(request)}) + " ";
    out += Line(513, {At(p, 3) * 100}) + " ";
    return out;
}

std::string WedgeReport(std::span<const std::uint8_t> b) {
    auto &strings = StringTable::instance();
    if (b.size() <= 10) return strings.text(546);
    std::string out = Line(537, {b[0] * 0.5}) + " ";
    const int type = b[1] & 0x7F;
    out += ReportLabel(538) +
           strings.text(type == 0   ? "report.wedgeType.uid"
                        : type == 1 ? "report.wedgeType.blocks"
                                    : "report.wedgeType.unknown") +
           " ";
    out += ReportLabel(539) + BlockNumbers(b, 2) + "\r\n" + " ";
    out += ReportLabel(540) + RepresentationText(b[7], false) + " ";
    out += Line(543, {b[8]}) + " ";
    out += Line(544, {std::lround(1000.0 / (8.0 * b[9] + 64.0))}) + " ";
    out += Line(513, {(b[10] + 1) * 30}) + " ";
    return out;
}

std::string BuildContentReport(const ReaderContent &c, CapabilityFlags flags) {
    std::string out = " " + ReportLabel(500);
    if (!c.prefix) return out;
    out += HexDump(*c.prefix);
    const std::pair<int, const std::optional<std::vector<std::uint8_t>> *> sequences[] = {
        {501, &c.suffix}, {502, &c.removal}, {554, &c.separator}};
    for (const auto &[label, block] : sequences) {
        out += " " + ReportLabel(label);
        if (!*block) return out;
        out += HexDump(**block);
    }
    out += " -------------------------------------------------\r\n ";
    if (!c.dataFormat) return out;
    if (HasCapability(flags, CAP_PS2)) return out + WedgeReport(*c.dataFormat);
    if (!c.parameters) return out;
    return out + SerialReport(*c.dataFormat, *c.parameters);
}

std::string ReadErrorText(int lastError) {
    return StringTable::instance().format("report.readError", lastError);
}

}  // namespace orvex::app
