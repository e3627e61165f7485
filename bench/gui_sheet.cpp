// The desktop program's figures, each a ratio measured in one run:
//  - opening the serial sheet on a simulated reader at wire speed 19200
//    (connect, read the whole configuration into the pages) against
//    "orvexctl read-config" of the same reader;
//  - program start to the identified main window, and idle memory (RSS) with
//    an open sheet, against a minimal Qt Widgets window on the same display.
// The start-up and memory figures come from child processes of this program
// (--child=program / --child=minimal) on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/connect.h"
#include "app/settings_store.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_prompts.h"
#include "gui/sheets/configuration_sheets.h"

#pragma push_macro("emit")
#undef emit
#include "sim/pty_reader.h"
#pragma pop_macro("emit")

using namespace orvex;
using SteadyClock = std::chrono::steady_clock;

namespace {

double secondsSince(SteadyClock::time_point t0) {
    return std::chrono::duration<double>(SteadyClock::now() - t0).count();
}

class QuietPrompts : public gui::QtPrompts {
public:
    void showMessage(const std::string &, app::MessageIcon) override {}
    bool askYesNoWith(app::MessageIcon, const std::string &, bool) override { return false; }
};

std::unique_ptr<sim::PtyReader> wireSpeedReader() {
    sim::Options o;
    o.versionAnswer = "164U";
    o.baud = 19200;
    o.wireSpeed = true;
    return std::make_unique<sim::PtyReader>(o);
}

void BM_SheetOpenVsReadConfig(benchmark::State &state) {
    auto reader = wireSpeedReader();
    QTemporaryDir dir;
    app::SettingsStore settings(dir.filePath("settings.ini").toStdString());
    settings.set(app::settings::PortName, reader->slavePath());
    settings.set(app::settings::PortBaudrate, 19200);
    QuietPrompts prompts;
    app::ConnectContext ctx(settings, prompts);
    ctx.devices = {};
    const QString orvexctl = QStringLiteral(ORVEX_BINARY_DIR "/orvexctl");
    double sheet = 0, cli = 0;
    for (auto _ : state) {
        auto t0 = SteadyClock::now();
        {
            int baud = 19200;
            app::CapabilityFlags flags = 0;
            const int handle = app::connectReader(ctx, baud, flags, false);
            gui::SerialSheetDialog dialog(nullptr, ctx, handle, baud, flags);
            dialog.readConfiguration();
            benchmark::DoNotOptimize(dialog.sheet().portHandle);
        }
        sheet += secondsSince(t0);

        t0 = SteadyClock::now();
        QProcess process;
        process.start(orvexctl, {QStringLiteral("--port"), QString::fromStdString(reader->slavePath()),
                                 QStringLiteral("read-config"), dir.filePath("read.mkr")});
        process.waitForFinished(30000);
        cli += secondsSince(t0);
        if (process.exitCode() != 0) state.SkipWithError("orvexctl read-config failed");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["sheet_ms"] = sheet / n * 1000;
    state.counters["read_config_ms"] = cli / n * 1000;
    state.counters["ratio"] = sheet / cli;
}
BENCHMARK(BM_SheetOpenVsReadConfig)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

long rssKiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

struct ChildFigures {
    double readySeconds = 0;
    long rss = 0;
};

// Starts this program as a child; time to its "ready" line, then its RSS.
ChildFigures runChild(const QString &mode, const QProcessEnvironment &env) {
    QProcess child;
    child.setProcessEnvironment(env);
    const auto t0 = SteadyClock::now();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child=") + mode});
    ChildFigures f;
    bool ready = false;
    while (!ready && (child.canReadLine() || child.waitForReadyRead(30000))) {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine();
            if (line.startsWith("identified") && f.readySeconds == 0) f.readySeconds = secondsSince(t0);
            if (line.startsWith("ready")) ready = true;
        }
    }
    if (f.readySeconds == 0) f.readySeconds = secondsSince(t0);
    QThread::msleep(300);  // idle
    f.rss = rssKiB(child.processId());
    child.kill();
    child.waitForFinished(3000);
    return f;
}

void BM_StartupAndMemoryVsMinimalWindow(benchmark::State &state) {
    auto reader = wireSpeedReader();
    QTemporaryDir dir;
    {
        setenv("XDG_CONFIG_HOME", qPrintable(dir.path()), 1);
        app::SettingsStore settings;  // the children read the same store
        settings.set(app::settings::PortName, reader->slavePath());
        settings.set(app::settings::PortBaudrate, 19200);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    double program = 0, minimal = 0;
    long programRss = 0, minimalRss = 0;
    for (auto _ : state) {
        const ChildFigures p = runChild(QStringLiteral("program"), env);
        const ChildFigures m = runChild(QStringLiteral("minimal"), env);
        program += p.readySeconds;
        minimal += m.readySeconds;
        programRss = p.rss;
        minimalRss = m.rss;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["start_ms"] = program / n * 1000;
    state.counters["minimal_start_ms"] = minimal / n * 1000;
    state.counters["start_ratio"] = program / minimal;
    state.counters["rss_kib"] = double(programRss);
    state.counters["minimal_rss_kib"] = double(minimalRss);
    state.counters["rss_ratio"] = double(programRss) / double(minimalRss ? minimalRss : 1);
}
BENCHMARK(BM_StartupAndMemoryVsMinimalWindow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program as it starts: main window, identification, then the sheet open.
int childProgram() {
    app::SettingsStore settings;
    QuietPrompts prompts;
    app::ConnectContext ctx(settings, prompts);
    ctx.devices = {};
    gui::MainWindow window(ctx, prompts);
    window.show();
    QCoreApplication::processEvents();
    window.identifyAtStartup();
    std::printf("identified %s\n", qPrintable(window.windowTitle()));
    std::fflush(stdout);
    int baud = 19200;
    app::CapabilityFlags flags = 0;
    const int handle = app::connectReader(ctx, baud, flags, false);
    gui::SerialSheetDialog sheet(&window, ctx, handle, baud, flags);
    sheet.readConfiguration();
    sheet.show();
    QCoreApplication::processEvents();
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}

int childMinimal() {
    QWidget window;
    window.resize(700, 670);
    window.show();
    QCoreApplication::processEvents();
    std::printf("identified\nready\n");
    std::fflush(stdout);
    return QApplication::exec();
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--child=program") return childProgram();
    if (argc > 1 && std::string(argv[1]) == "--child=minimal") return childMinimal();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
