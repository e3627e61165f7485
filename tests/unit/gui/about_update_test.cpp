// The About box's update lines when no firmware file came, and an installer
// whose signature does not verify: nothing starts, the program does not
// exit, and the box says why.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "app/connect.h"
#include "app/reader_identity.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "common/local_http_server.h"
#include "common/minisign_keys.h"
#include "common/scripted_prompts.h"
#include "gui/app/about_dialog.h"
#include "gui/app/link_label.h"
#include "update/update_checks.h"

using namespace orvex;
using gui::test::ScriptedPrompts;

namespace {

std::string readAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

class AboutUpdateTest : public QObject {
    Q_OBJECT

private slots:
    void readerLineNeverClaimsUpToDateWithoutAFile() {
        QTemporaryDir dir;
        app::StringTable::instance().useGerman();
        app::SettingsStore store(dir.filePath(QStringLiteral("settings.ini")).toStdString());
        ScriptedPrompts prompts;
        app::ConnectContext ctx(store, prompts);
        ctx.identity = app::makeDeviceIdentity("1247", "Alder-4");
        auto answer = [](update::FetchResult::Outcome outcome, std::string body) {
            return [outcome, body](const std::string &, const std::atomic<bool> &) {
                update::FetchResult r;
                r.outcome = outcome;
                r.body = body;
                return r;
            };
        };
        using Outcome = update::FetchResult::Outcome;
        const struct {
            Outcome outcome;
            std::string body;
            int text;
        } cases[] = {
            {Outcome::Failed, "", 602}, {Outcome::HttpError, "", 603}, {Outcome::Ok, "<html></html>", 603}};
        for (const auto &c : cases) {
            update::UpdateChecks checks(
                std::make_unique<update::UpdateSource>(
                    "http://127.0.0.1:1/p",
                    answer(Outcome::Ok, "[OrvexReaderSetup]\nVersion=0.1\nBuild=2000-01-01\n")),
                std::make_unique<update::UpdateSource>("http://127.0.0.1:1/d", answer(c.outcome, c.body)));
            gui::AboutDialog about(nullptr, ctx, &checks);
            const QString expected = QStringLiteral("Alder-4 V1.07 ") +
                                     QString::fromStdString(app::StringTable::instance().text(c.text));
            QTRY_COMPARE(about.readerUpdateLine()->text(), expected);
            QVERIFY(!about.readerUpdateLine()->clickable());
            about.reject();
        }
    }

    void tamperedInstallerIsRefusedWithTheReason() {
        QTemporaryDir dir;
        const std::string root = dir.path().toStdString();
        qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
        const test::MinisignKeys keys(root, "release");
        const std::string marker = root + "/installer-ran";
        const std::string installer = "#!/bin/sh\ntouch '" + marker + "'\n";
        std::ofstream(root + "/setup.run", std::ios::binary) << installer;
        keys.sign(root + "/setup.run");

        test::LocalHttpServer server;
        server.set("/setup.run", {200, installer + "echo changed on the server\n"});
        server.set("/setup.run.minisig", {200, readAll(root + "/setup.run.minisig")});

        app::SettingsStore store(root + "/settings.ini");
        store.set(app::TextSetting{"Version", "PublicKey", ""}, keys.publicKey());
        ScriptedPrompts prompts;
        app::ConnectContext ctx(store, prompts);
        const std::string versionFile =
            "[OrvexReaderSetup]\nVersion=99.0\nBuild=2099-01-01\nInstaller=" + server.baseUrl() +
            "/setup.run\n";
        auto fetched = [versionFile](const std::string &, const std::atomic<bool> &) {
            update::FetchResult r;
            r.outcome = update::FetchResult::Outcome::Ok;
            r.body = versionFile;
            return r;
        };
        update::UpdateChecks checks(std::make_unique<update::UpdateSource>(server.baseUrl() + "/p", fetched),
                                    std::make_unique<update::UpdateSource>(server.baseUrl() + "/d", fetched));
        gui::AboutDialog about(nullptr, ctx, &checks);
        QSignalSpy exits(&about, &gui::AboutDialog::exitRequested);
        QTRY_VERIFY(about.programUpdateLine()->clickable());
        const QString offer = about.programUpdateLine()->text();

        emit about.programUpdateLine()->clicked();
        QTRY_COMPARE(prompts.messages.size(), std::size_t(1));
        QVERIFY2(prompts.messages[0].find("does not match the file") != std::string::npos,
                 prompts.messages[0].c_str());
        QCOMPARE(about.programUpdateLine()->text(), offer);
        QCOMPARE(exits.count(), 0);
        QVERIFY(!std::filesystem::exists(marker));
        QVERIFY(!std::filesystem::exists(root + "/cache/orvex-readersetup/setup.run"));
        about.reject();
    }
};

QTEST_MAIN(AboutUpdateTest)
#include "about_update_test.moc"
