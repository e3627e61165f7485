// Long-running use: `orvexctl monitor` and the function-test window watch a
// reader that sends 50 records a second, side by side, for a while:
//   long_run [--seconds S]        (default 60; an hour: --seconds 3600)
// Each reader is simulated and counts the records it sent. At the end every
// record must have arrived once (none lost, none merged), resident memory
// must have stayed flat and the CPU time must stay under 5 % of the time.
// Prints the figures; exit code 0 when everything held.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/connect.h"
#include "app/settings_store.h"
#include "common/scripted_prompts.h"
#include "common/temp_folder.h"
#include "gui/keys/function_test_dialog.h"
// Qt's "emit" keyword is a macro; the simulator has a field of that name,
// and this file emits no signals.
#undef emit
#include "sim/pty_reader.h"

extern char **environ;

using namespace orvex;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRecordPeriodMs = 20;  // 50 records a second
constexpr const char *kRecordHex = "45 30 30 34 30 31 30 30 41 31 42 32 43 33 44 34 0D 0A ";
constexpr double kCpuLimit = 0.05;
constexpr long kRssGrowthLimitKb = 2048;

// A reader that sends records only while a function test holds it in its
// reading mode (power-on mode "Programmiermodus"), so the count it keeps is
// exactly what the test was meant to see.
std::unique_ptr<sim::PtyReader> startReader() {
    sim::Options o;
    o.versionAnswer = "1245";
    o.baud = 19200;
    o.emit = sim::decodeEscapes("E0040100A1B2C3D4\\r\\n");
    o.everyMs = kRecordPeriodMs;
    auto reader = std::make_unique<sim::PtyReader>(o);
    reader->modifyState([](sim::ReaderState &s) {
        s.powerOn = 0;
        s.outputMode = 0;
    });
    return reader;
}

void stopSending(sim::PtyReader &reader) {
    reader.modifyState([](sim::ReaderState &s) { s.outputMode = 0; });
}

// Resident set size in KiB from /proc/PID/status.
long residentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// User + system CPU seconds of a process from /proc/PID/stat.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stol(field);
        if (i == 15) break;
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Sample {
    Clock::time_point at;
    long rssKb;
    double cpu;
};
Sample sample(pid_t pid) { return {Clock::now(), residentKb(pid), cpuSeconds(pid)}; }

double cpuShare(const Sample &a, const Sample &b) {
    return (b.cpu - a.cpu) / std::chrono::duration<double>(b.at - a.at).count();
}

struct Tally {
    int records = 0;
    int outOfOrder = 0;  // a counter that is not the previous one + 1
    int wrongText = 0;   // a record that is not one whole record (merged or cut)

    void addLine(const std::string &line) {
        const auto record = nlohmann::json::parse(line, nullptr, false);
        if (record.is_discarded()) {
            ++wrongText;
            return;
        }
        ++records;
        if (record.value("record", 0) != records) ++outOfOrder;
        if (record.value("hex", std::string()) != kRecordHex) ++wrongText;
    }
};

// orvexctl monitor as a child, its JSON lines tallied as they arrive by a
// thread blocked in read(). Only the tally is kept: the lines of an hour
// would otherwise grow this process, whose memory is the window's figure.
class Monitor {
public:
    Monitor(const std::string &configHome, const std::string &port, double seconds) {
        const std::string program = std::string(ORVEX_BINARY_DIR) + "/orvexctl";
        std::vector<std::string> args{
            program, "--port", port, "--json", "monitor", "--seconds", std::to_string(seconds)};
        std::vector<std::string> env{"XDG_CONFIG_HOME=" + configHome};
        for (char **e = environ; *e; ++e)
            if (std::string(*e).rfind("XDG_CONFIG_HOME=", 0) != 0) env.emplace_back(*e);
        std::vector<char *> argv, envp;
        for (auto &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto &e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        reader_ = std::thread([this, fd = out[0]] {
            char buffer[4096];
            std::string line;
            ssize_t n;
            while ((n = read(fd, buffer, sizeof buffer)) > 0) {
                for (const char *c = buffer; c < buffer + n; ++c) {
                    if (*c != '\n') {
                        line += *c;
                        continue;
                    }
                    tally_.addLine(line);
                    line.clear();
                }
            }
            if (!line.empty()) tally_.addLine(line);
            close(fd);
        });
    }
    ~Monitor() { wait(); }

    pid_t pid() const { return pid_; }
    // Waits for the exit; the exit code, -1 when it did not exit normally.
    int wait() {
        if (pid_ > 0) {
            int status = 0;
            waitpid(pid_, &status, 0);
            code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
        }
        if (reader_.joinable()) reader_.join();
        return code_;
    }
    // What the monitor printed; complete once wait() returned.
    const Tally &tally() const { return tally_; }

private:
    pid_t pid_ = -1;
    int code_ = -1;
    std::thread reader_;
    Tally tally_;
};

bool check(bool ok, const char *what) {
    if (!ok) std::printf("FAILED: %s\n", what);
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    CLI::App cli{
        "orvexctl monitor and the function-test window against a reader sending 50 records a second"};
    double seconds = 60;
    cli.add_option("--seconds", seconds, "how long both watch the reader")->check(CLI::Range(10.0, 86400.0));
    CLI11_PARSE(cli, argc, argv);

    TempFolder dir;
    auto monitorReader = startReader();
    auto windowReader = startReader();

    // The monitor runs a little longer than the readers send, so it ends
    // with every record settled.
    const double settle = 2.0;
    Monitor monitor(dir.path().string(), monitorReader->slavePath(), seconds + settle);
    if (!check(monitor.pid() > 0, "orvexctl monitor starts")) return 1;

    app::SettingsStore settings(dir.file("window.ini"));
    settings.set(app::settings::PortName, windowReader->slavePath());
    settings.set(app::settings::PortBaudrate, 19200);
    gui::test::ScriptedPrompts prompts;
    app::ConnectContext ctx(settings, prompts);
    ctx.devices = {};
    gui::FunctionTestDialog window(nullptr, ctx);
    if (!check(window.started(), "the function-test window connects")) return 1;
    window.show();

    // Memory and CPU from a few seconds in (after start-up) to the end.
    const int warmUpMs = 5000;
    Sample monitorStart{}, windowStart{}, monitorEnd{}, windowEnd{};
    QTimer::singleShot(warmUpMs, [&] {
        monitorStart = sample(monitor.pid());
        windowStart = sample(getpid());
    });
    QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
        monitorEnd = sample(monitor.pid());
        windowEnd = sample(getpid());
        stopSending(*monitorReader);
        stopSending(*windowReader);
    });
    // The last record settles 70 ms after it arrived.
    QTimer::singleShot(static_cast<int>(seconds * 1000) + 500, &qapp, &QApplication::quit);
    qapp.exec();

    const int windowCount = window.counterBox()->text().toInt();
    const QString windowHex = window.hexBox()->text();
    window.close();
    const int monitorCode = monitor.wait();
    const Tally &tally = monitor.tally();

    const double monitorCpu = cpuShare(monitorStart, monitorEnd),
                 windowCpu = cpuShare(windowStart, windowEnd);
    std::printf("%.0f s at %d records a second\n", seconds, 1000 / kRecordPeriodMs);
    std::printf("monitor: sent %d, printed %d (out of order %d, not one whole record %d), exit code %d\n",
                monitorReader->outputsSent(), tally.records, tally.outOfOrder, tally.wrongText, monitorCode);
    std::printf("monitor: RSS %ld -> %ld KiB, CPU %.2f %%\n", monitorStart.rssKb, monitorEnd.rssKb,
                monitorCpu * 100);
    std::printf("window:  sent %d, counted %d\n", windowReader->outputsSent(), windowCount);
    std::printf("unread output the readers threw away: %d, %d\n", monitorReader->outputsDiscarded(),
                windowReader->outputsDiscarded());
    std::printf(
        "window:  RSS %ld -> %ld KiB, CPU %.2f %% (this process: window, its link and both simulators)\n",
        windowStart.rssKb, windowEnd.rssKb, windowCpu * 100);

    bool ok = true;
    ok &= check(monitorCode == 0, "orvexctl monitor exits with 0");
    ok &= check(monitorReader->outputsDiscarded() == 0 && windowReader->outputsDiscarded() == 0,
                "no output left unread by the host");
    ok &= check(tally.records == monitorReader->outputsSent(), "the monitor printed every record once");
    ok &=
        check(tally.outOfOrder == 0 && tally.wrongText == 0, "the monitor's records are whole and in order");
    ok &= check(windowCount == windowReader->outputsSent(), "the window counted every record once");
    ok &= check(windowHex == QString::fromLatin1(kRecordHex), "the window shows one whole record");
    ok &=
        check(monitorEnd.rssKb - monitorStart.rssKb <= kRssGrowthLimitKb, "the monitor's memory stays flat");
    ok &= check(windowEnd.rssKb - windowStart.rssKb <= kRssGrowthLimitKb, "the window's memory stays flat");
    ok &= check(monitorCpu < kCpuLimit, "the monitor stays under 5 % CPU");
    ok &= check(windowCpu < kCpuLimit, "the window stays under 5 % CPU");
    return ok ? 0 : 1;
}
