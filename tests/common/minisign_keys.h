// A minisign key pair made by the minisign tool for one test, and signatures
// made with it, so the tests check our verifier against the real format.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace orvex::test {

class MinisignKeys {
public:
    // Files named <name>.pub and <name>.key in folder.
    MinisignKeys(const std::filesystem::path &folder, const std::string &name)
        : publicFile_((folder / (name + ".pub")).string()), secretFile_((folder / (name + ".key")).string()) {
        run("minisign -G -W -p '" + publicFile_ + "' -s '" + secretFile_ + "'");
    }

    // The one-line form, as [Version] PublicKey= holds it.
    std::string publicKey() const {
        std::ifstream in(publicFile_);
        std::string line;
        std::getline(in, line);  // untrusted comment
        std::getline(in, line);
        return line;
    }

    // Writes signatureFile (default file + ".minisig"); legacy signs the file
    // itself ("Ed"), otherwise its BLAKE2b-512 hash ("ED").
    void sign(const std::string &file, bool legacy = false, std::string signatureFile = {}) const {
        if (signatureFile.empty()) signatureFile = file + ".minisig";
        run(std::string("minisign -S ") + (legacy ? "-l " : "") + "-s '" + secretFile_ + "' -m '" + file +
            "' -x '" + signatureFile + "' -t 'orvex-setup test'");
    }

private:
    static void run(const std::string &command) {
        if (std::system((command + " >/dev/null 2>&1 </dev/null").c_str()) != 0)
            throw std::runtime_error("failed: " + command);
    }

    std::string publicFile_;
    std::string secretFile_;
};

}  // namespace orvex::test
