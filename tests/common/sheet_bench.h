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
#include "common/scripted_prompts_app.h"
#include "common/temp_folder.h"
#include "sim/pty_reader.h"

namespace orvex::app::test {

using TempDir = ::TempFolder;

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::unique_ptr<sim::PtyReader> startReader(const std::string &version, int dropEvery = 0) {
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
    void attach(const sim::PtyReader &reader) {
        settings.set(settings::PortName, reader.slavePath());
        settings.set(settings::PortBaudrate, 19200);
        settings.set(settings::PortTimeoutConnect, 200);
    }

    struct Link {
        int handle = 0;
        int baud = 19200;
        CapabilityFlags flags = 0;
    };
    Link connect() {
        Link l;
        l.handle = connectReader(ctx, l.baud, l.flags, false);
        EXPECT_GT(l.handle, 0);
        return l;
    }

    TempDir dir;
    SettingsStore settings;
    ScriptedPrompts prompts;
    ConnectContext ctx;
};

// The configuration blocks of a simulated reader.
inline std::vector<sim::Bytes> blocks(const sim::ReaderState &s) {
    return {s.data, s.prefix, s.suffix, s.separator, s.removal, s.parameter};
}

}  // namespace orvex::app::test
