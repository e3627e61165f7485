#include "sheets/fleet_jobs.h"

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/lan_functions.h"
#include "app/reader_identity.h"
#include "app/settings_store.h"

namespace orvex::app {
namespace {

namespace fs = std::filesystem;

// A job's prompts: nobody can be asked while many readers are worked on at
// once, so every question gets the answer chosen beforehand; the job's
// result records messages and questions.
class UnattendedPrompts : public WindowlessPrompts {
public:
    explicit UnattendedPrompts(bool answer) : answer_(answer) {}
    void showMessage(const std::string &, MessageIcon) override {}
    bool askYesNo(const std::string &, bool) override { return answer_; }

private:
    bool answer_;
};

// Settings of one job: a copy of the caller's in a scratch folder, so
// parallel connects never write one file, with the reader as the port.
class JobSettings {
public:
    JobSettings(const std::string &callerPath, const std::string &address) {
        char pattern[] = "/tmp/orvex-fleet-XXXXXX";
        if (const char *made = mkdtemp(pattern)) folder_ = made;
        const fs::path copy = folder_ / "settings.ini";
        std::error_code ignored;
        if (!callerPath.empty()) fs::copy_file(callerPath, copy, ignored);
        store_ = std::make_unique<SettingsStore>(copy.string());
        store_->override(settings::PortName.section, settings::PortName.key,
                         std::string(LanPrefix) + address);
        store_->override(settings::PortEthernet.section, settings::PortEthernet.key, "1");
    }
    ~JobSettings() {
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }
    SettingsStore &store() { return *store_; }

private:
    fs::path folder_;
    std::unique_ptr<SettingsStore> store_;
};

bool sameAddress(std::string a, std::string b) {
    auto norm = [](std::string s) {
        for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (s.size() > 6 && s.compare(s.size() - 6, 6, "-10001") == 0) s.resize(s.size() - 6);
        return s;
    };
    return norm(std::move(a)) == norm(std::move(b));
}

// Runs job(i) for every reader on at most options.jobs threads.
void runParallel(std::size_t count, int jobs, const std::function<void(std::size_t)> &job) {
    const std::size_t threads =
        std::min<std::size_t>(count, std::clamp(jobs > 0 ? jobs : int(count), 1, kMaxFleetJobs));
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> pool;
    for (std::size_t t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (std::size_t i; (i = next++) < count;) job(i);
        });
}

template <class Job>
std::vector<FleetReaderResult> eachReader(const std::vector<std::string> &readers,
                                          const FleetOptions &options, Job job) {
    std::vector<FleetReaderResult> results(readers.size());
    runParallel(readers.size(), options.jobs, [&](std::size_t i) {
        const auto start = std::chrono::steady_clock::now();
        FleetReaderResult &r = results[i];
        r.address = readers[i];
        UnattendedPrompts prompts(options.answerQuestions);
        JobSettings settings(options.settingsPath, readers[i]);
        ConnectContext ctx(settings.store(), prompts);
        // The search has just found the reader: no list to look it up in.
        ctx.devices = {};
        ctx.devices.lanCheck = [](const std::string &) { return true; };
        job(ctx, settings, r);
        r.model = r.job.model;
        if (r.error.empty() && !r.succeeded())
            r.error = !r.job.error.empty()     ? r.job.error
                      : r.job.messages.empty() ? r.result
                                               : r.job.messages.back();
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    return results;
}

std::string resultOf(const ConfigJobResult &job) {
    for (const char *verdict :
         {"unchanged", "would_change", "backup_failed", "mismatch", "readback_failed", "stopped"})
        if (job.outcome == verdict) return verdict;
    switch (job.status) {
        case JobStatus::Ok:
            return "done";
        case JobStatus::NoConnection:
            return "no_connection";
        case JobStatus::Refused:
            return "refused";
        case JobStatus::Failed:
            break;
    }
    return job.outcome == "wrong_model" ? "skipped" : "failed";
}

}  // namespace

std::vector<std::string> findFleet(const FleetOptions &options) {
    const std::vector<std::string> found =
        options.search ? options.search() : systemLanFunctions().searchMaker();
    if (options.only.empty()) return found;
    std::vector<std::string> kept;
    for (const std::string &address : found)
        if (std::any_of(options.only.begin(), options.only.end(),
                        [&](const std::string &wanted) { return sameAddress(address, wanted); }))
            kept.push_back(address);
    return kept;
}

std::vector<FleetReaderResult> programFleet(const std::vector<std::string> &readers, const std::string &file,
                                            const FleetOptions &options) {
    return eachReader(readers, options, [&](ConnectContext &ctx, JobSettings &, FleetReaderResult &r) {
        r.job = programFileJob(ctx, file, options.safeguards);
        r.result = resultOf(r.job);
    });
}

std::vector<FleetReaderResult> readFleet(const std::vector<std::string> &readers, const std::string &folder,
                                         const FleetOptions &options) {
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return eachReader(readers, options, [&](ConnectContext &ctx, JobSettings &, FleetReaderResult &r) {
        r.job = readConfigurationJob(ctx, (fs::path(folder) / (r.address + ".mkr")).string());
        r.result = resultOf(r.job);
    });
}

}  // namespace orvex::app
