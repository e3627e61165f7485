// The minisign parsers on texts made by the minisign tool (the fuzz seeds):
// both signature forms, a key line or a whole key file, CR LF line ends, and
// what is refused.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_folder.h"
#include "update/minisign.h"

namespace {

using namespace orvex::update;

const std::string kKeyLine = "RWSAlaEo+suZwqPXN38/2ak+auVwzwiBKAi6nvAcklNkJLNjueCv+p+j";
// Both sign the file "installer\n".
const std::string kLegacy =
    "untrusted comment: signature from minisign secret key\n"
    "RWSAlaEo+suZwuSvTxB/3elzfHZWC2hJh2xnrKetaknKMx6gENJUEguM5bW968wTx9RxVbfxhrzcZGYCOSAkEJ3Ib7AyAHVbRwQ=\n"
    "trusted comment: timestamp:1796982096\tfile:f\n"
    "HFjh8Uo1tRb2dYye2SW3ZYUZJUmwu5emUfU5ZcfuIn3CQxq+V25MofgVtlPN5ZrkF+HcAmClWysKmXPO9lA7BA==\n";
const std::string kPrehashed =
    "untrusted comment: signature from minisign secret key\n"
    "RUSAlaEo+suZwkZQeN+afnt2z1GmVzMiBZPVUGNKJyqT6crWvNR0v/q8a/tgL6v8XrNb0S56JmPDbYRr9Hr1jSkNx8M2M9OumAQ=\n"
    "trusted comment: orvex-setup 2.25\n"
    "JT44ZkstYZiOW5uZRCKF5w6EhcCDUr+2BFwyFPWJBW5Mp+P7CD6LD9u2CmsJ6L7Z/R8NFfafmh/WkxCcf+llCw==\n";

std::string replaced(std::string text, const std::string &from, const std::string &to) {
    return text.replace(text.find(from), from.size(), to);
}

std::string withCrLf(const std::string &text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

TEST(Minisign, PublicKeyForms) {
    const auto key = parseMinisignPublicKey(kKeyLine);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->keyId[0], 0x80);  // "RWSA": 'E' 'd' then the key id
    const auto file = parseMinisignPublicKey("untrusted comment: minisign public key C299CBFA28A19580\r\n" +
                                             kKeyLine + "\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->key, key->key);
    const std::string bad[] = {"",
                               kKeyLine.substr(0, kKeyLine.size() - 4),
                               kKeyLine + "AAAA",
                               "RU" + kKeyLine.substr(2),
                               kKeyLine + " trailing",
                               "untrusted comment: x"};
    for (const std::string &text : bad) EXPECT_FALSE(parseMinisignPublicKey(text)) << text;
}

TEST(Minisign, SignatureFormsVerify) {
    TempFolder dir;
    const std::string file = dir.file("installer");
    TempFolder::write(file, "installer\n");
    const auto key = parseMinisignPublicKey(kKeyLine);
    for (const std::string &text : {kLegacy, kPrehashed, withCrLf(kPrehashed)}) {
        const auto sig = parseMinisignSignature(text);
        ASSERT_TRUE(sig) << text;
        EXPECT_EQ(sig->prehashed, text.find("\nRUS") != std::string::npos);
        EXPECT_EQ(verifyMinisignFile(file, *sig, *key), "") << text;
    }
    // The trusted comment is signed as it stands, tab and all.
    EXPECT_EQ(parseMinisignSignature(kLegacy)->trustedComment, "timestamp:1796982096\tfile:f");
}

TEST(Minisign, MalformedSignaturesAreRefused) {
    const std::string bad[] = {
        "",
        kPrehashed.substr(0, kPrehashed.rfind("JT44")),          // no global signature
        replaced(kPrehashed, "trusted comment: ", "comment: "),  // no trusted comment line
        replaced(kPrehashed, "untrusted comment:", "note:"),     // no untrusted comment line
        replaced(kPrehashed, "RUSAlaEo", "RXSAlaEo"),            // unknown algorithm
        replaced(kPrehashed, "OumAQ=", "OumAQ"),                 // base64 cut short
        replaced(kPrehashed, "llCw==", "llCw==AAAA"),            // longer than a signature
        kPrehashed + "one line too many\n",
        std::string(20000, 'A'),
    };
    for (const std::string &text : bad) EXPECT_FALSE(parseMinisignSignature(text)) << text;
}

}  // namespace
