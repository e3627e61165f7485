// minisign public keys and signature files: any bytes parse or are refused,
// and what parses keeps its fixed sizes and one of the two algorithms.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/minisign.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace orvex::update;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto key = parseMinisignPublicKey(text);
    const auto signature = parseMinisignSignature(text);
    if (key && signature) std::abort();  // one text is never both
    // The trusted comment is one line of the input.
    if (signature && (signature->trustedComment.size() > size ||
                      signature->trustedComment.find('\n') != std::string_view::npos))
        std::abort();
    return 0;
}
