#include "update/minisign.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvex::update {

namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment:";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::string_view kLegacyAlgorithm = "Ed";
constexpr std::string_view kPrehashedAlgorithm = "ED";

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Exactly size bytes of strict base64, or nothing.
std::optional<std::vector<unsigned char>> decodeBase64(std::string_view text, std::size_t size) {
    if (!sodiumReady()) return std::nullopt;
    std::vector<unsigned char> bytes(size);
    std::size_t length = 0;
    const char *end = nullptr;
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        length != size || end != text.data() + text.size())
        return std::nullopt;
    return bytes;
}

// The file's bytes mapped read-only (an empty file maps to nothing).
class MappedFile {
public:
    explicit MappedFile(const std::string &path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        struct stat info {};
        if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return;
        size_ = static_cast<std::size_t>(info.st_size);
        if (size_ == 0) {
            ok_ = true;
            return;
        }
        void *data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (data == MAP_FAILED) return;
        data_ = static_cast<const unsigned char *>(data);
        ok_ = true;
    }
    ~MappedFile() {
        if (data_) ::munmap(const_cast<unsigned char *>(data_), size_);
        if (fd_ >= 0) ::close(fd_);
    }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool ok() const { return ok_; }
    const unsigned char *data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    int fd_ = -1;
    const unsigned char *data_ = nullptr;
    std::size_t size_ = 0;
    bool ok_ = false;
};

bool readSmallFile(const std::string &path, std::string &text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() <= kSignatureFileLimit)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return n >= 0;  // an oversized file is read in part and refused by the parser
}

}  // namespace

std::optional<MinisignPublicKey> parseMinisignPublicKey(std::string_view text) {
    std::string_view line = trimmed(text);
    // A whole key file: the key is the line after the comment.
    if (line.starts_with(kUntrustedPrefix)) {
        const auto lines = linesOf(line);
        if (lines.size() != 2) return std::nullopt;
        line = trimmed(lines[1]);
    }
    MinisignPublicKey key;
    const auto bytes = decodeBase64(line, kLegacyAlgorithm.size() + key.keyId.size() + key.key.size());
    if (!bytes || std::memcmp(bytes->data(), kLegacyAlgorithm.data(), kLegacyAlgorithm.size()) != 0)
        return std::nullopt;
    auto at = bytes->begin() + static_cast<long>(kLegacyAlgorithm.size());
    std::copy_n(at, key.keyId.size(), key.keyId.begin());
    std::copy_n(at + static_cast<long>(key.keyId.size()), key.key.size(), key.key.begin());
    return key;
}

std::optional<MinisignSignature> parseMinisignSignature(std::string_view text) {
    if (text.size() > kSignatureFileLimit) return std::nullopt;
    auto lines = linesOf(text);
    while (!lines.empty() && trimmed(lines.back()).empty()) lines.pop_back();
    if (lines.size() != 4 || !lines[0].starts_with(kUntrustedPrefix) || !lines[2].starts_with(kTrustedPrefix))
        return std::nullopt;
    MinisignSignature sig;
    const auto head =
        decodeBase64(trimmed(lines[1]), kLegacyAlgorithm.size() + sig.keyId.size() + sig.signature.size());
    const auto global = decodeBase64(trimmed(lines[3]), sig.globalSignature.size());
    if (!head || !global) return std::nullopt;
    const std::string_view algorithm(reinterpret_cast<const char *>(head->data()), kLegacyAlgorithm.size());
    if (algorithm != kLegacyAlgorithm && algorithm != kPrehashedAlgorithm) return std::nullopt;
    sig.prehashed = algorithm == kPrehashedAlgorithm;
    auto at = head->begin() + static_cast<long>(algorithm.size());
    std::copy_n(at, sig.keyId.size(), sig.keyId.begin());
    std::copy_n(at + static_cast<long>(sig.keyId.size()), sig.signature.size(), sig.signature.begin());
    std::copy(global->begin(), global->end(), sig.globalSignature.begin());
    // Signed as it stands in the file, without its line end.
    std::string_view comment = lines[2].substr(kTrustedPrefix.size());
    if (comment.ends_with('\r')) comment.remove_suffix(1);
    sig.trustedComment = comment;
    return sig;
}

std::string verifyMinisignFile(const std::string &path, const MinisignSignature &signature,
                               const MinisignPublicKey &key) {
    if (!sodiumReady()) return "the signature library cannot be initialised";
    if (signature.keyId != key.keyId) return "signed by another key";
    const MappedFile file(path);
    if (!file.ok()) return "the file cannot be read";
    static const unsigned char kNothing = 0;
    const unsigned char *message = file.data() ? file.data() : &kNothing;
    std::size_t messageSize = file.size();
    std::array<unsigned char, crypto_generichash_BYTES_MAX> hash{};
    if (signature.prehashed) {
        crypto_generichash(hash.data(), hash.size(), message, messageSize, nullptr, 0);
        message = hash.data();
        messageSize = hash.size();
    }
    if (crypto_sign_verify_detached(signature.signature.data(), message, messageSize, key.key.data()) != 0)
        return "the signature does not match the file";
    std::vector<unsigned char> signedComment(signature.signature.begin(), signature.signature.end());
    signedComment.insert(signedComment.end(), signature.trustedComment.begin(),
                         signature.trustedComment.end());
    if (crypto_sign_verify_detached(signature.globalSignature.data(), signedComment.data(),
                                    signedComment.size(), key.key.data()) != 0)
        return "the trusted comment does not match its signature";
    return {};
}

std::string verifyMinisignFile(const std::string &path, const MinisignPublicKey &key) {
    std::string text;
    if (!readSmallFile(path + ".minisig", text)) return "no signature file " + path + ".minisig";
    const auto signature = parseMinisignSignature(text);
    if (!signature) return "not a minisign signature";
    return verifyMinisignFile(path, *signature, key);
}

}  // namespace orvex::update
