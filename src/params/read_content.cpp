#include "params/read_content.h"

#include <optional>
#include <vector>

#include "base/capabilities.h"
#include "orvex/orvex.h"
#include "params/content_report.h"

namespace orvex::app {

namespace {

constexpr int kBlockBufferSize = 64;
constexpr int kParameterBlockSize = 4;

using ReadBlock = int (*)(int, unsigned char *, int);

std::optional<std::vector<std::uint8_t>> read(int handle, ReadBlock readBlock, int size) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size), 0);
    const int n = readBlock(handle, buffer.data(), size);
    if (n < 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}

}  // namespace

bool readContent(ConnectContext &ctx, ReadContentState &state,
                 const std::function<void(const std::string &)> &onText) {
    ReaderContent content;
    state.complete = false;
    auto show = [&] {
        state.text = buildContentReport(content, state.flags);
        if (onText) onText(state.text);
    };
    state.text.clear();
    if (onText) onText(state.text);

    if (state.handle == 0) {
        state.baud = 19200;
        BusyScope busy(ctx.prompts);
        state.handle = connectReader(ctx, state.baud, state.flags, true);
        if (state.handle == 0) return false;
    }

    content.prefix = read(state.handle, Orvex_ReadPrefixBlock, kBlockBufferSize);
    if (!content.prefix) {
        const int error = Orvex_GetLastError(state.handle);
        closeReader(state.handle);
        show();
        ctx.prompts.showMessage(readErrorText(error), MessageIcon::Error);
        return true;
    }
    show();

    // Each further read ends the report where it fails, without a message.
    const std::pair<std::optional<std::vector<std::uint8_t>> *, ReadBlock> sequences[] = {
        {&content.suffix, Orvex_ReadSuffixBlock},
        {&content.removal, Orvex_ReadRemovalBlock},
        {&content.separator, Orvex_ReadSeparatorBlock},
        {&content.dataFormat, Orvex_ReadDataBlock},
    };
    bool ok = true;
    for (const auto &[block, readBlock] : sequences) {
        *block = read(state.handle, readBlock, kBlockBufferSize);
        if (!*block) {
            ok = false;
            break;
        }
        show();
    }
    if (ok && !hasCapability(state.flags, CAP_PS2)) {
        content.parameters = read(state.handle, Orvex_ReadParameterBlock, kParameterBlockSize);
        ok = content.parameters.has_value();
    }
    closeReader(state.handle);
    show();
    state.complete = ok;
    return true;
}

}  // namespace orvex::app
