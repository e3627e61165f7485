#include "sheets/config_jobs.h"

#include <memory>

#include "app/string_table.h"
#include "base/ini_file.h"
#include "params/content_compare.h"
#include "orvex/orvex.h"
#include "sheets/ps2_sheet.h"
#include "sheets/serial_sheet.h"

namespace orvex::app {

namespace {

constexpr int kMsgCannotLoad = 610;
constexpr int kMsgWrongModel = 141;

// Passes everything on and keeps what was shown and asked for the result.
class RecordingPrompts : public WindowlessPrompts {
public:
    RecordingPrompts(Prompts &inner, ConfigJobResult &result) : inner_(inner), result_(result) {}

    void showMessage(const std::string &text, MessageIcon icon) override {
        result_.messages.push_back(text);
        inner_.showMessage(text, icon);
    }
    bool askYesNo(const std::string &text, bool defaultYes) override {
        const bool yes = inner_.askYesNo(text, defaultYes);
        result_.questions.push_back({text, yes});
        return yes;
    }
    void beginBusy() override { inner_.beginBusy(); }
    void endBusy() override { inner_.endBusy(); }

private:
    Prompts &inner_;
    ConfigJobResult &result_;
};

// The caller's connect context with the recorded prompts.
struct JobContext {
    JobContext(ConnectContext &base, ConfigJobResult &result)
        : prompts(base.prompts, result), ctx(base.settings, prompts) {
        ctx.devices = base.devices;
        ctx.bluetoothDeviceDialog = base.bluetoothDeviceDialog;
        ctx.interfaceDialog = base.interfaceDialog;
    }
    RecordingPrompts prompts;
    ConnectContext ctx;
};

struct Link {
    int handle = 0;
    int baud = 19200;
    CapabilityFlags flags = 0;
};

Link connect(JobContext &job, ConfigJobResult &result) {
    Link link;
    link.handle = connectReader(job.ctx, link.baud, link.flags, true);
    result.connectResult = job.ctx.lastResult;
    if (link.handle == 0) result.status = JobStatus::NoConnection;
    return link;
}

ConfigFileKind readerKind(CapabilityFlags flags) {
    return hasCapability(flags, CAP_PS2) ? ConfigFileKind::Mkp : ConfigFileKind::Mkr;
}

std::string lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool hasExtension(const std::string &path, const char *extension) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    return lower(path.substr(dot)) == extension;
}

std::string needKind(ConfigFileKind readerKind) {
    return readerKind == ConfigFileKind::Mkp ? text("config.needMkp") : text("config.needMkr");
}

ConfigJobResult refused(ConfigJobResult result, std::string error) {
    result.status = JobStatus::Refused;
    result.error = std::move(error);
    return result;
}

std::string cannotLoad(const std::string &path, const std::string &why) {
    return text(kMsgCannotLoad) + " (" + path + (why.empty() ? "" : ": " + why) + ")";
}

// The file's kind from its content; an error text when it is no configuration.
ConfigFileKind kindOfFile(const std::string &path, std::string &error) {
    IniFile file;
    if (!file.open(path, false, false, true)) {
        error = cannotLoad(path, file.errorText().empty() ? std::string() : file.errorText());
        return ConfigFileKind::None;
    }
    // A cut-off file may still hold every section; its last value is not
    // what was saved.
    if (file.endsMidLine()) {
        error = cannotLoad(path, text(file_messages::kCutOff));
        return ConfigFileKind::None;
    }
    const ConfigFileKind kind = kindOfContent(file);
    if (kind == ConfigFileKind::None)
        error = cannotLoad(path, text(mixesKinds(file) ? "config.mixedKinds" : "config.notConfiguration"));
    return kind;
}

const char *outcomeName(ProgramOutcome o) {
    switch (o) {
        case ProgramOutcome::Done:
            return "done";
        case ProgramOutcome::Failed:
            return "failed";
        case ProgramOutcome::Stopped:
            return "refused";
        case ProgramOutcome::WrongModel:
            return "wrong_model";
        case ProgramOutcome::NoConnection:
            return "no_connection";
    }
    return "failed";
}

JobStatus statusOf(ProgramOutcome o) {
    switch (o) {
        case ProgramOutcome::Done:
            return JobStatus::Ok;
        case ProgramOutcome::Stopped:
            return JobStatus::Refused;
        case ProgramOutcome::NoConnection:
            return JobStatus::NoConnection;
        default:
            return JobStatus::Failed;
    }
}

// Capabilities under which an .mkr file shows unchanged: every family and option.
constexpr CapabilityFlags kShowEverything =
    CAP_MIFARE | CAP_ICODE1 | CAP_DESFIRE | CAP_USED_BYTES | CAP_BIT_REVERSE | CAP_DECIMAL_NO_ZEROS |
    CAP_ASCII_NO_NUL | CAP_BLOCK_SEQUENCE | CAP_EXTENDED | CAP_LEFT_ALIGN | CAP_PLAIN_SERIAL;

}  // namespace

const char *kindName(ConfigFileKind kind) {
    switch (kind) {
        case ConfigFileKind::Mkr:
            return "mkr";
        case ConfigFileKind::Mkp:
            return "mkp";
        default:
            return "";
    }
}

ConfigJobResult readConfigurationJob(ConnectContext &base, const std::string &path) {
    ConfigJobResult result;
    result.file = path;
    if (path.empty()) return refused(std::move(result), text("config.noFile"));
    JobContext job(base, result);
    Link link = connect(job, result);
    if (link.handle == 0) return result;
    result.kind = readerKind(link.flags);
    // The name tells the kind of a file still to be written.
    const char *other = result.kind == ConfigFileKind::Mkp ? ".mkr" : ".mkp";
    if (hasExtension(path, other)) {
        closeReader(link.handle);
        return refused(std::move(result), needKind(result.kind));
    }

    std::unique_ptr<SheetBase> sheet;
    if (result.kind == ConfigFileKind::Mkp) {
        char name[30] = {};
        if (Orvex_GetDeviceName(link.handle, name, sizeof name) > 0) result.model = name;
        auto ps2 = std::make_unique<Ps2Sheet>(job.ctx, link.handle, link.flags);
        ps2->readConfiguration();
        result.failedReads = ps2->failedReads();
        if (result.failedReads.empty()) result.saved = ps2->saveMkpFile(path, result.model);
        result.blocks = ps2->programImage();
        sheet = std::move(ps2);
    } else {
        auto serial = std::make_unique<SerialSheet>(job.ctx, link.handle, link.baud, link.flags);
        result.model = serial->deviceName();
        serial->readConfiguration();
        result.failedReads = serial->failedReads();
        if (result.failedReads.empty()) result.saved = serial->saveMkrFile(path, result.model);
        result.blocks = serial->programImage();
        sheet = std::move(serial);
    }
    result.refusal = sheet->lastRefusal();
    if (!result.failedReads.empty()) {
        // The pages of unread blocks hold defaults: saving them would put a
        // configuration into the file that the reader does not have.
        result.error = StringTable::instance().format("config.readIncomplete", partNames(result.failedReads));
        result.status = JobStatus::Failed;
    } else {
        result.status = result.saved     ? JobStatus::Ok
                        : result.refusal ? JobStatus::Refused
                                         : JobStatus::Failed;
    }
    return result;
}

ConfigJobResult programFileJob(ConnectContext &base, const std::string &path,
                               const ProgramSafeguards &safeguards) {
    ConfigJobResult result;
    result.file = path;
    result.outcome = "not_loaded";
    if (path.empty()) return refused(std::move(result), text("config.noFile"));
    std::string error;
    const ConfigFileKind fileKind = kindOfFile(path, error);
    if (fileKind == ConfigFileKind::None) return refused(std::move(result), error);

    JobContext job(base, result);
    Link link = connect(job, result);
    if (link.handle == 0) {
        result.outcome = "no_connection";
        return result;
    }
    result.kind = readerKind(link.flags);
    if (fileKind != result.kind) {
        closeReader(link.handle);
        return refused(std::move(result), needKind(result.kind));
    }
    // A file read from another model is not for this reader.
    char connected[30] = {};
    if (Orvex_GetDeviceName(link.handle, connected, sizeof connected) > 0) result.model = connected;
    if (const std::string meantFor = readerModelOf(path); !meantFor.empty() && meantFor != result.model) {
        closeReader(link.handle);
        job.prompts.showMessage(StringTable::instance().format(kMsgWrongModel, meantFor, result.model),
                                MessageIcon::Warning);
        result.outcome = outcomeName(ProgramOutcome::WrongModel);
        result.status = statusOf(ProgramOutcome::WrongModel);
        return result;
    }

    std::unique_ptr<SheetBase> sheet;
    bool loaded = false;
    if (result.kind == ConfigFileKind::Mkp) {
        auto ps2 = std::make_unique<Ps2Sheet>(job.ctx, link.handle, link.flags);
        ps2->readConfiguration();
        loaded = ps2->loadMkpFile(path);
        if (loaded) result.blocks = ps2->programImage();
        sheet = std::move(ps2);
    } else {
        auto serial = std::make_unique<SerialSheet>(job.ctx, link.handle, link.baud, link.flags);
        serial->readConfiguration();
        loaded = serial->loadMkrFile(path);
        if (loaded) result.blocks = serial->programImage();
        sheet = std::move(serial);
    }
    SafeProgramResult safe;
    if (loaded) safe = programSafely(job.ctx, *sheet, safeguards);
    const ProgramOutcome outcome = safe.outcome;
    result.changed = safe.changed();
    result.differing = safe.differing;
    result.backupPath = safe.backupPath;
    result.written = safe.written;
    result.notHeld = safe.notHeld;
    result.writes = sheet->writes();
    result.refusal = sheet->lastRefusal();
    if (!loaded) {
        // The sheet closed nothing after its own read: the link is closed there.
        result.status = JobStatus::Refused;
        if (result.messages.empty()) result.error = cannotLoad(path, {});
        return result;
    }
    result.outcome = safe.verdict.empty() ? outcomeName(outcome) : safe.verdict;
    result.status = safe.verdict == "backup_failed" ? JobStatus::Failed : statusOf(outcome);
    if (outcome == ProgramOutcome::NoConnection) result.connectResult = job.ctx.lastResult;
    return result;
}

ConfigJobResult showFileJob(ConnectContext &base, const std::string &path) {
    ConfigJobResult result;
    result.file = path;
    if (path.empty()) return refused(std::move(result), text("config.noFile"));
    std::string error;
    result.kind = kindOfFile(path, error);
    if (result.kind == ConfigFileKind::None) return refused(std::move(result), error);

    JobContext job(base, result);
    CapabilityFlags flags;
    bool loaded;
    if (result.kind == ConfigFileKind::Mkp) {
        flags = CAP_PS2;
        Ps2Sheet sheet(job.ctx, 0, flags);
        loaded = sheet.loadMkpFile(path);
        result.blocks = sheet.programImage();
    } else {
        IniFile file;
        file.open(path, false, false, true);
        flags = kShowEverything;
        if (file.hasKey("Data", "TransponderTyp2")) flags |= CAP_TWO_DATA_BLOCKS;
        if (file.hasSection("HID_KEYS")) flags |= CAP_HID;
        SerialSheet sheet(job.ctx, 0, 19200, flags);
        loaded = sheet.loadMkrFile(path);
        result.blocks = sheet.programImage();
    }
    if (!loaded) {
        result.status = JobStatus::Refused;
        if (result.messages.empty()) result.error = cannotLoad(path, {});
        return result;
    }
    result.report = buildContentReport(result.blocks, flags);
    result.status = JobStatus::Ok;
    return result;
}

}  // namespace orvex::app
