// Menu command flows and reader dialogs against a simulated reader: factory
// reset, power-on mode, transmit power, the read-content report and the
// function test.
#include "sim_fixture.h"

#include <chrono>
#include <thread>

#include "base/capabilities.h"
#include "app/main_commands.h"
#include "app/string_table.h"
#include "sheets/function_test.h"
#include "params/read_content.h"
#include "params/reader_option_models.h"
#include "sim/reader_state.h"

using namespace orvex::app;
using namespace orvex::app::testing;

using ReaderCommandsE2E = SimReaderTest;

TEST_F(ReaderCommandsE2E, FactoryResetAsksTwice) {
    struct Case {
        std::deque<bool> answers;
        FactoryResetOutcome outcome;
        std::size_t questions;
        bool reset;
    } cases[] = {
        {{true, true}, FactoryResetOutcome::Done, 2, true},
        {{true, false}, FactoryResetOutcome::Declined, 2, false},
        {{false}, FactoryResetOutcome::Declined, 1, false},
    };
    const auto &strings = StringTable::instance();
    for (const auto &c : cases) {
        startReader(version("4340"));
        sim_->modifyState([](orvex::sim::ReaderState &s) { s.prefix = {0x41, 0xFF}; });
        prompts_.questions.clear();
        prompts_.messages.clear();
        prompts_.answers = c.answers;
        EXPECT_EQ(runFactoryReset(*ctx_, CAP_FACTORY_RESET), c.outcome);
        ASSERT_EQ(prompts_.questions.size(), c.questions);
        EXPECT_EQ(prompts_.questions[0], strings.text(10139));
        if (c.questions > 1) {
            EXPECT_EQ(prompts_.questions[1], strings.text(10140));
        }
        EXPECT_EQ(sim_->state().prefix != orvex::sim::Bytes({0x41, 0xFF}), c.reset);
        EXPECT_EQ(prompts_.messages,
                  c.reset ? std::vector<std::string>{strings.text(10142)} : std::vector<std::string>{});
        EXPECT_EQ(sim_->state().outputMode, 2);
    }
}

TEST_F(ReaderCommandsE2E, FactoryResetNeedsTheCapability) {
    startReader(version("1245"));
    prompts_.answers = {true, true};
    EXPECT_EQ(runFactoryReset(*ctx_, CAP_FACTORY_RESET), FactoryResetOutcome::NotAvailable);
    EXPECT_TRUE(prompts_.questions.empty());
    EXPECT_EQ(runFactoryReset(*ctx_, 0x11), FactoryResetOutcome::NotAvailable);
}

TEST_F(ReaderCommandsE2E, PowerOnModeGetAndSet) {
    startReader(version("164U"));
    const int indexOfValue[] = {0, 1, 2, 2};
    for (int value = 0; value < 4; ++value) {
        sim_->modifyState([value](orvex::sim::ReaderState &s) { s.powerOn = value; });
        auto c = connectForCommand(*ctx_);
        ASSERT_GT(c.handle, 0);
        PowerOnModel dialog(c.handle, hasCapability(c.flags, CAP_SILENT_READER_MODE), prompts_);
        EXPECT_TRUE(dialog.show());
        EXPECT_EQ(dialog.selectedIndex(), indexOfValue[value]) << value;
        EXPECT_FALSE(dialog.silentOptionEnabled());
        closeReader(c.handle);
    }
    auto c = connectForCommand(*ctx_);
    PowerOnModel dialog(c.handle, false, prompts_);
    const int seen = sim_->commandsSeen();
    EXPECT_FALSE(dialog.set(-1));  // no choice: nothing is sent
    EXPECT_EQ(sim_->commandsSeen(), seen);
    EXPECT_TRUE(dialog.set(2));
    EXPECT_EQ(sim_->state().powerOn, 3);
    EXPECT_TRUE(dialog.set(1));
    EXPECT_EQ(sim_->state().powerOn, 1);
    closeReader(c.handle);
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ReaderCommandsE2E, TransmitPowerGetAndSet) {
    startReader(version("4545"));
    int opened = 0;
    EXPECT_EQ(
        runTxPowerCommand(*ctx_, CAP_EXTENDED,
                          [&](int &handle) {
                              ++opened;
                              TxPowerModel dialog(handle, prompts_);
                              dialog.show();
                              EXPECT_TRUE(dialog.set({true, false}));
                              EXPECT_EQ(sim_->state().deviceSettings, (orvex::sim::Bytes{0x03, 0x01, 0x80}));
                              EXPECT_TRUE(dialog.show());
                              EXPECT_EQ(dialog.power(), (TxPower{true, false}));
                          }),
        CommandOutcome::Ran);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(prompts_.messages.back(), StringTable::instance().text(10137));

    sim_->modifyState([](orvex::sim::ReaderState &s) { s.deviceSettings = {0x00, 0x03}; });
    auto c = connectForCommand(*ctx_);
    TxPowerModel dialog(c.handle, prompts_);
    EXPECT_FALSE(dialog.show());
    EXPECT_EQ(dialog.power(), TxPower{});
    EXPECT_EQ(prompts_.messages.back(), StringTable::instance().text(10136));
    closeReader(c.handle);
}

TEST_F(ReaderCommandsE2E, TransmitPowerDialogNeedsTheCapability) {
    startReader(version("1245"));
    bool opened = false;
    EXPECT_EQ(runTxPowerCommand(*ctx_, CAP_TX_POWER, [&](int &) { opened = true; }),
              CommandOutcome::NotAvailable);
    EXPECT_FALSE(opened);
    EXPECT_EQ(sim_->state().outputMode, 2);
}

TEST_F(ReaderCommandsE2E, ReportOfSerialReader) {
    startReader(version("1245"));
    sim_->modifyState([](orvex::sim::ReaderState &s) {
        s.prefix = {0x02, 0xFF, 0x41};
        s.parameter = {0x13, 0x05, 0x1B, 0x03};
    });
    ReadContentState state;
    int updates = 0;
    ASSERT_TRUE(readContent(*ctx_, state, [&](const std::string &) { ++updates; }));
    EXPECT_TRUE(state.complete);
    EXPECT_EQ(state.handle, 0);
    EXPECT_EQ(state.flags, 0x11u);
    EXPECT_GE(updates, 5);
    for (const char *line : {" Prefix            : 02 \r\n", " Mode              : 3\r\n",
                             " Sensor            : aktiv\r\n", " Zykluszeit        : 500 Millisekunden\r\n",
                             " Aufforderung      : ?\r\n", " Timeout           : 300 Millisekunden \r\n"})
        EXPECT_NE(state.text.find(line), std::string::npos) << line << "\n" << state.text;
    EXPECT_EQ(sim_->state().outputMode, 2);
}

TEST_F(ReaderCommandsE2E, ReportOfKeyboardWedgeReader) {
    startReader(version("1221"));
    sim_->modifyState([](orvex::sim::ReaderState &s) {
        ASSERT_GE(s.data.size(), 11u);
        s.data[9] = 2;
    });
    ReadContentState state;
    ASSERT_TRUE(readContent(*ctx_, state));
    EXPECT_TRUE(state.complete);
    EXPECT_NE(state.text.find("Sendefrequenz     : 13 kHz\r\n"), std::string::npos) << state.text;
    EXPECT_EQ(state.text.find("Zykluszeit"), std::string::npos);  // no parameter block
}

TEST_F(ReaderCommandsE2E, ReportWithoutReaderEndsTheDialog) {
    store_->set(settings::PortName, (dir_ / "no-such-port").string());
    ReadContentState state;
    EXPECT_FALSE(readContent(*ctx_, state));
    EXPECT_TRUE(state.text.empty());
}

TEST_F(ReaderCommandsE2E, FunctionTestShowsRecordsAndRestoresOutputMode) {
    struct Case {
        int powerOn, outputMode;
    } cases[] = {{1, 1}, {0, 1}, {3, 3}};
    for (const auto &c : cases) {
        orvex::sim::Options o;
        o.emit = {'1', '2', '3', '4', '\r'};
        o.everyMs = 200;
        startReader(o);
        sim_->modifyState([&](orvex::sim::ReaderState &s) {
            s.powerOn = c.powerOn;
            s.parameter = {0x03, 0x0A, 0x0D, 0x05};
        });
        FunctionTest test;
        ASSERT_TRUE(test.start(*ctx_));
        EXPECT_EQ(sim_->state().outputMode, c.outputMode) << c.powerOn;
        EXPECT_EQ(test.mode(), 3);
        EXPECT_EQ(test.requestChar(), '?');
        if (c.outputMode != 3) {
            // The reader's output arrives every 200 ms: poll like the dialog's timer.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (test.recorder().counter() < 2 && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(FunctionTest::PollIntervalMs));
                test.pollOutput();
            }
            EXPECT_GE(test.recorder().counter(), 2);
            EXPECT_EQ(test.recorder().hex().substr(0, 15), "31 32 33 34 0D ");
        }
        test.close();
        EXPECT_EQ(sim_->state().outputMode, 2);
    }
}
