// The connect routine against a simulated reader: baud hunt, identification,
// refusals, and the link left in output mode 2.
#include "sim_fixture.h"

#include "app/main_commands.h"
#include "app/string_table.h"

using namespace orvex::app;
using namespace orvex::app::testing;

using ConnectE2E = SimReaderTest;

TEST(BaudHunt, OrderFollowsTheCycle) {
    EXPECT_EQ(baudHuntOrder(4800), (std::vector<int>{9600, 19200, 38400, 2400}));
    EXPECT_EQ(baudHuntOrder(38400), (std::vector<int>{2400, 4800, 9600, 19200}));
    EXPECT_TRUE(baudHuntOrder(57600).empty());
    EXPECT_TRUE(baudHuntOrder(9602).empty());
}

TEST_F(ConnectE2E, BaudHuntFindsAndStoresTheReadersRate) {
    orvex::sim::Options o;
    o.baud = 2400;
    startReader(o);
    store_->set(settings::PortBaudrate, 4800);
    int baud = 0;
    CapabilityFlags flags = 0;
    int handle = connectReader(*ctx_, baud, flags, false);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(store_->get(settings::PortBaudrate), 2400);
    EXPECT_EQ(baud, 2400);
    // The notice comes even with messages off.
    EXPECT_EQ(prompts_.messages, std::vector<std::string>{StringTable::instance().format(588, 2400)});
    closeReader(handle);
}

TEST_F(ConnectE2E, RateOutsideTheCycleIsNotHunted) {
    orvex::sim::Options o;
    o.baud = 9600;
    startReader(o);
    store_->set(settings::PortBaudrate, 57600);
    int baud = 0;
    CapabilityFlags flags = 0x5;
    EXPECT_EQ(connectReader(*ctx_, baud, flags, true), 0);
    EXPECT_EQ(flags, 0x5u);
    EXPECT_EQ(store_->get(settings::PortBaudrate), 57600);
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ConnectE2E, VersionAnswersGiveFlagsTitleAndIdentity) {
    struct Case {
        const char *answer;
        CapabilityFlags flags;
        const char *firmware;
        const char *aboutVersion;
        SheetKind sheet;
    } cases[] = {
        {"1245", 0x11, "FW V1.05>", "1.05", SheetKind::Serial},
        {"164U", 0x7f1f1, "FW V1.30>", "1.30", SheetKind::Serial},
        {"164u", 0x7f1f1, "FW V1.30>", "1.56", SheetKind::Serial},
        {"124#", 0x11, "FW V1.255>", "1.00", SheetKind::Serial},
        {"1221", 0x13, "FW V1.01>", "1.01", SheetKind::KeyboardWedge},
    };
    for (const auto &c : cases) {
        startReader(version(c.answer));
        int baud = 0;
        CapabilityFlags flags = 0;
        int handle = connectReader(*ctx_, baud, flags, true);
        ASSERT_GT(handle, 0) << c.answer;
        EXPECT_EQ(sim_->state().outputMode, 0) << c.answer;
        EXPECT_EQ(flags, c.flags) << c.answer;
        EXPECT_EQ(configurationSheetFor(flags), c.sheet) << c.answer;
        const std::string start = "Orvex ReaderSetup V" + productVersionString() + " <";
        EXPECT_EQ(ctx_->title.substr(0, start.size()), start);
        const std::string end = sim_->slavePath() + ":1  " + c.firmware;
        EXPECT_EQ(ctx_->title.substr(ctx_->title.size() - end.size()), end) << ctx_->title;

        const auto reader = identifyAndClose(*ctx_, handle);
        ASSERT_TRUE(reader);
        EXPECT_EQ(handle, 0);
        EXPECT_EQ(reader->versionAnswer, c.answer);
        EXPECT_EQ(ctx_->identity.versionText, c.aboutVersion) << c.answer;
        EXPECT_EQ(sim_->state().outputMode, 2) << c.answer;
        EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front();
    }
}

TEST_F(ConnectE2E, RefusedReadersShowTheirMessageAndKeepTheFlags) {
    struct Case {
        const char *answer;
        int dropEvery;
        int result, message, titleText;
    } cases[] = {
        {"1211", 0, ConnectProgrammer, 549, 523},  // low digit 1: a pure programmer
        {"4511", 0, ConnectProgrammer, 549, 523},
        {"1174", 0, ConnectUnsupported, 523, 523},  // "Larch"
        {"2A44", 0, ConnectUnsupported, 523, 523},
        {"1245", 3, ConnectNoAnswer, 522, 522},  // the version request after the open gets no answer
    };
    const auto &strings = StringTable::instance();
    for (const auto &c : cases) {
        orvex::sim::Options o = version(c.answer);
        o.dropEvery = c.dropEvery;
        startReader(o);
        prompts_.messages.clear();
        int baud = 0;
        CapabilityFlags flags = 0xABC;
        EXPECT_EQ(connectReader(*ctx_, baud, flags, true), 0) << c.answer;
        EXPECT_EQ(ctx_->lastResult, c.result) << c.answer;
        EXPECT_EQ(flags, 0xABCu);
        EXPECT_EQ(prompts_.messages, std::vector<std::string>{strings.text(c.message)}) << c.answer;
        EXPECT_EQ(ctx_->title, strings.text(57344) + " " + strings.text(c.titleText));
        if (c.dropEvery == 0) {
            EXPECT_EQ(sim_->state().outputMode, 2) << c.answer;
        }
    }
}

TEST_F(ConnectE2E, QuietConnectWithoutReaderAsksForTheInterface) {
    store_->set(settings::PortName, (dir_ / "no-such-port").string());
    FrameState frame;
    frame.flags = 0x13;
    int dialogs = 0;
    ctx_->interfaceDialog = [&] {
        // The person picks the simulated reader.
        if (++dialogs == 1) {
            startReader(version("164U"));
            return true;
        }
        return false;
    };
    const auto reader = runStartupIdentification(*ctx_, frame);
    ASSERT_TRUE(reader);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(frame.flags, 0x7f1f1u);
    EXPECT_EQ(reader->modelName, "Elm-4");
    EXPECT_TRUE(prompts_.messages.empty());
}
