// Version compare, version file lookups and the address rules of the update check.
#include <gtest/gtest.h>

#include "update/update_status.h"
#include "update/update_url.h"
#include "update/version_file.h"

namespace {

using namespace orvex::update;

TEST(UpdateVersion, CompareTable) {
    struct Case {
        const char *current, *currentBuild, *file, *fileBuild;
        bool newer;
    } cases[] = {
        {"2.9", "2026-01-15", "2.10", "2026-01-01", true},    // 2009 < 2010, not a string compare
        {"2.10", "2026-01-15", "2.9", "2027-01-01", false},   // an older version never is newer
        {"2.24", "2026-01-15", "2.24", "2026-01-16", true},   // equal versions: the later build
        {"2.24", "2026-01-15", "2.24", "2026-01-15", false},  //
        {"2.24", "2026-01-15", "2.24", "", false},            // no build in the file
        {"1.07", "", "1.07", "2026-01-16", false},            // a source without a build of its own
        {"1.07", "", "1.09", "", true},                       //
        {"2.1", "x", "2.1000", "", true},                     // a large minor does not become a major
        {"-.--", "", "0.01", "", true},                       // unknown program version counts 0.00
        {"2", "", "2.0", "", false},                          // no point: minor 0
        {"99999999999999999999.1", "", "1.0", "", false},     // huge numbers stay ordered
    };
    for (const Case &c : cases)
        EXPECT_EQ(isNewer(c.current, c.currentBuild, c.file, c.fileBuild), c.newer)
            << c.current << " " << c.currentBuild << " vs " << c.file << " " << c.fileBuild;
}

constexpr const char *kDeviceFile =
    "; firmware versions\r\n"
    "[Alias]\r\n"
    "124=Alder\r\n"
    "164=Birch\r\n"
    "[Alder]\r\n"
    "Version=1.09\r\n"
    "Installer=https://h.example/a.bin\r\n"
    "[Birch]\r\n"
    "Version=1.05\r\n";

TEST(UpdateVersion, DeviceLookupFollowsAlias) {
    FetchResult fetched;
    fetched.outcome = FetchResult::Outcome::Ok;
    fetched.body = kDeviceFile;
    struct Case {
        const char *typeCode, *version;
        UpdateState state;
        const char *section;
    } cases[] = {
        {"124", "1.07", UpdateState::Newer, "Alder"},
        {"164", "1.07", UpdateState::Current, "Birch"},
        {"194", "1.00", UpdateState::NoEntry, ""},  // type without alias: nothing offered
    };
    for (const Case &c : cases) {
        orvex::app::DeviceIdentity id{"Model", c.typeCode, c.version};
        const DeviceStatus status = evaluateDevice(fetched, id);
        EXPECT_EQ(status.state, c.state) << c.typeCode;
        EXPECT_EQ(status.section, c.section);
    }
}

TEST(UpdateVersion, ProgramStatesFromFetch) {
    FetchResult ok;
    ok.outcome = FetchResult::Outcome::Ok;
    ok.body = "[OrvexReaderSetup]\nVersion=2.25\nBuild=2026-03-01\nInstaller=https://h/i.deb\n";
    EXPECT_EQ(evaluateProgram(ok, "2.24", "2026-01-15").state, UpdateState::Newer);
    EXPECT_EQ(evaluateProgram(ok, "2.25", "2026-03-01").state, UpdateState::Current);
    EXPECT_EQ(evaluateProgram(std::nullopt, "2.24", "").state, UpdateState::Pending);

    FetchResult missingBuild = ok;
    missingBuild.body = "[OrvexReaderSetup]\nVersion=2.25\n";
    EXPECT_EQ(evaluateProgram(missingBuild, "2.24", "").state, UpdateState::NoEntry);
    FetchResult notFound;
    notFound.outcome = FetchResult::Outcome::HttpError;
    // Reached, but no version file (an error page): the check is not possible.
    EXPECT_EQ(evaluateProgram(notFound, "2.24", "").state, UpdateState::Unusable);
    FetchResult failed;
    EXPECT_EQ(evaluateProgram(failed, "2.24", "").state, UpdateState::NoConnection);
}

TEST(UpdateVersion, OddBytesInTheFile) {
    const char raw[] =
        "[OrvexReaderSetup]\r\nVersion=3.\xff\x00x\r\nBuild=\x80\x81\r\n[Alias]\r\n\x00\x01=\r\n";
    const std::string body(raw, sizeof raw - 1);
    const VersionFile file(body);
    EXPECT_EQ(parseVersion(file.product(kProgramSection).version), (VersionNumber{3, 0}));
    EXPECT_EQ(file.aliasFor("124"), "");
    EXPECT_EQ(file.aliasFor(""), "");
}

TEST(UpdateUrl, FetchAndInstallerRules) {
    EXPECT_EQ(fetchRefusal("https://updates.example.com/rfid/software/x.txt"), "");
    EXPECT_EQ(fetchRefusal("http://127.0.0.1:8080/rfid/software/x.txt"), "");
    EXPECT_EQ(fetchRefusal("http://localhost/x"), "");
    EXPECT_NE(fetchRefusal("http://updates.example.com/x"), "");
    EXPECT_NE(fetchRefusal("ftp://127.0.0.1/x"), "");
    EXPECT_NE(fetchRefusal("file:///etc/passwd"), "");
    EXPECT_NE(fetchRefusal("no url"), "");

    const std::string file = "https://updates.qel.com/rfid/software/RFIDVersionsHF.txt";
    EXPECT_EQ(installerRefusal("https://updates.qel.com/setup/orvex.deb", file), "");
    EXPECT_EQ(installerRefusal("https://UPDATES.qel.com:8443/setup/orvex.deb", file), "");
    EXPECT_NE(installerRefusal("http://updates.qel.com/setup/orvex.deb", file), "");
    EXPECT_NE(installerRefusal("https://mirror.evil.com/orvex.deb", file), "");
    const std::string local = "http://127.0.0.1:9000/rfid/software/RFIDVersionsHF.txt";
    EXPECT_EQ(installerRefusal("http://127.0.0.1:9000/i.run", local), "");
    EXPECT_NE(installerRefusal("http://localhost:9000/i.run", local), "");

    EXPECT_EQ(installerFileName("https://h/a/b/setup-2.25.deb?x=1"), "setup-2.25.deb");
    EXPECT_EQ(installerFileName("https://h/a/"), "");
    EXPECT_EQ(installerFileName("https://h/a/%2e%2e"), "%2e%2e");  // stays one harmless name
}

TEST(UpdateUrl, BaseAndReservedNames) {
    EXPECT_EQ(versionFileUrl("https://h.example/", kProgramFileName),
              "https://h.example/rfid/software/RFIDVersionsHF.txt");
    EXPECT_TRUE(isReservedHost(splitUrl(builtInBaseUrl())->host));
    EXPECT_TRUE(isReservedHost("a.invalid."));
    EXPECT_FALSE(isReservedHost("example.com"));
}

}  // namespace
