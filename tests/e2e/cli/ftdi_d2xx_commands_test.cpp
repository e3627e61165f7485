// orvexctl on an FTDI reader that the D2XX library serves (the stand-in
// libftd2xx.so of tests/ftd2xx in front of a simulated reader): listed and
// identified by its serial number. Without the library the same name fails
// with the library's one diagnostic line under -v.
#include <gtest/gtest.h>

#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "sim/pty_reader.h"

namespace orvex::test {
namespace {

TEST(OrvexctlFtdiD2xx, ListedAndIdentifiedBySerialNumber) {
    sim::Options options;
    options.versionAnswer = "1245";
    options.variant = 0;
    sim::PtyReader reader(options);
    TempFolder config;
    const std::vector<std::string> env = {"LANG=C", "LD_LIBRARY_PATH=" ORVEX_FTD2XX_DOUBLE_DIR,
                                          "ORVEX_FTD2XX_DEVICES=73101111=" + reader.slavePath()};

    CtlRun list = runOrvexctl(config.path(), {"interfaces"}, env);
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("USB: 73101111"), std::string::npos) << list.out;

    CtlRun identify = runOrvexctl(config.path(), {"--port", "73101111", "identify"}, env);
    ASSERT_EQ(identify.code, 0) << identify.err;
    EXPECT_NE(identify.out.find("1245"), std::string::npos) << identify.out;

    CtlRun absent = runOrvexctl(config.path(), {"-v", "--port", "73101111", "identify"},
                                {"LANG=C", "LD_LIBRARY_PATH=/nonexistent"});
    EXPECT_NE(absent.code, 0);
    EXPECT_NE(absent.err.find("Fehler: Kann Ftd2xx.dll nicht laden\n"), std::string::npos) << absent.err;
}

}  // namespace
}  // namespace orvex::test
