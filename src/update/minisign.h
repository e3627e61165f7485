// minisign signatures of downloaded installers, checked with libsodium.
//
// Public key: one line of base64 over "Ed", an 8-byte key id and a 32-byte
// Ed25519 key (a whole minisign.pub file, comment line first, is taken too).
// Signature file "<file>.minisig": an untrusted comment line, base64 over the
// algorithm ("Ed": the file itself is signed, "ED": its BLAKE2b-512 hash),
// the key id and the 64-byte signature, a "trusted comment: " line, and base64
// over a 64-byte signature of signature || trusted comment.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::update {

// A signature file is four short lines; anything longer is no signature.
inline constexpr std::size_t kSignatureFileLimit = 16 * 1024;

using MinisignKeyId = std::array<unsigned char, 8>;

struct MinisignPublicKey {
    MinisignKeyId keyId{};
    std::array<unsigned char, 32> key{};
};

struct MinisignSignature {
    bool prehashed = false;
    MinisignKeyId keyId{};
    std::array<unsigned char, 64> signature{};
    std::string trustedComment;
    std::array<unsigned char, 64> globalSignature{};
};

std::optional<MinisignPublicKey> parseMinisignPublicKey(std::string_view text);
std::optional<MinisignSignature> parseMinisignSignature(std::string_view text);

// Empty when the file at path is signed by key and the trusted comment is the
// one signed with it; otherwise why not (for the person).
std::string verifyMinisignFile(const std::string &path, const MinisignSignature &signature,
                               const MinisignPublicKey &key);

// Reads path + ".minisig" and verifies path with it: empty when it holds.
std::string verifyMinisignFile(const std::string &path, const MinisignPublicKey &key);

}  // namespace orvex::update
