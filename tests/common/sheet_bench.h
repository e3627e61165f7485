// A configuration sheet's surroundings for tests: a settings store in a
// scratch folder, scripted prompts, and simulated readers on pseudo-terminals.
#pragma once

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/connect.h"
#include "app/prompts.h"
#include "app/settings_store.h"
#include "sim/pty_reader.h"

namespace orvex::app::test {

class ScriptedPrompts : public Prompts {
public:
    void showMessage(const std::string &text, MessageIcon) override { messages.push_back(text); }
    bool askYesNo(const std::string &text, bool) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> chooseOpenFile(const std::string &, const std::string &,
                                              const std::string &folder) override {
        folders.push_back(folder);
        return Next();
    }
    std::optional<std::string> chooseSaveFile(const std::string &, const std::string &,
                                              const std::string &folder, const std::string &) override {
        folders.push_back(folder);
        return Next();
    }

    std::vector<std::string> messages, questions, folders;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> files;

private:
    std::optional<std::string> Next() {
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvex-sheets-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string &name) const { return (path_ / name).string(); }
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::unique_ptr<sim::PtyReader> StartReader(const std::string &version, int dropEvery = 0) {
    sim::Options o;
    o.versionAnswer = version;
    o.baud = 19200;
    o.dropEvery = dropEvery;
    return std::make_unique<sim::PtyReader>(o);
}

// Settings, prompts and the connect context of one test.
struct Bench {
    Bench() : settings(dir.file("settings.ini")), ctx(settings, prompts) {
        ctx.devices = DeviceListProviders{};  // nothing beyond the stored port is looked up
    }

    // The stored interface becomes the simulated reader.
    void Attach(const sim::PtyReader &reader) {
        settings.Set(settings::PortName, reader.slavePath());
        settings.Set(settings::PortBaudrate, 19200);
        settings.Set(settings::PortTimeoutConnect, 200);
    }

    struct Link {
        int handle = 0;
        int baud = 19200;
        CapabilityFlags flags = 0;
    };
    Link Connect() {
        Link l;
        l.handle = ConnectReader(ctx, l.baud, l.flags, false);
        EXPECT_GT(l.handle, 0);
        return l;
    }

    TempDir dir;
    SettingsStore settings;
    ScriptedPrompts prompts;
    ConnectContext ctx;
};

// The configuration blocks of a simulated reader.
inline std::vector<sim::Bytes> Blocks(const sim::ReaderState &s) {
    return {s.data, s.prefix, s.suffix, s.separator, s.removal, s.parameter};
}

}  // namespace orvex::app::test
