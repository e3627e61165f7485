// A scratch folder per test, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

class TempFolder {
public:
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvex-keys-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }

    std::string file(const std::string &name) const { return (path_ / name).string(); }
    const std::filesystem::path &path() const { return path_; }

    static std::string read(const std::string &file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void write(const std::string &file, const std::string &bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path path_;
};
