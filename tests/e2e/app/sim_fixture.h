// A simulated reader on a pseudo-terminal, a settings store in a temporary
// folder that points at it, and prompts that record what the person sees.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/connect.h"
#include "app/prompts.h"
#include "app/settings_store.h"
#include "common/scripted_prompts_app.h"
#include "sim/pty_reader.h"

namespace orvex::app::testing {

using ScriptedPrompts = test::ScriptedPrompts;

class SimReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orvex-e2e-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        store_ = std::make_unique<SettingsStore>((dir_ / "settings.ini").string());
        ctx_ = std::make_unique<ConnectContext>(*store_, prompts_);
        ctx_->devices = {};  // no enumeration: the stored port is used as it is
    }
    void TearDown() override {
        sim_.reset();
        std::filesystem::remove_all(dir_);
    }

    // Starts the reader and stores its port with a short answer timeout.
    void startReader(sim::Options options = {}) {
        sim_ = std::make_unique<sim::PtyReader>(std::move(options));
        store_->set(settings::PortName, sim_->slavePath());
        store_->set(settings::PortTimeoutConnect, 100);
    }
    static sim::Options version(const char *answer) {
        sim::Options o;
        o.versionAnswer = answer;
        return o;
    }

    std::filesystem::path dir_;
    std::unique_ptr<SettingsStore> store_;
    ScriptedPrompts prompts_;
    std::unique_ptr<ConnectContext> ctx_;
    std::unique_ptr<sim::PtyReader> sim_;
};

}  // namespace orvex::app::testing
