#include "sheets/sheet_base.h"

#include "app/settings_store.h"
#include "app/string_table.h"
#include "sheets/programming_stop.h"

#include <algorithm>

namespace orvex::app {

namespace {
constexpr int kSheetCaption = 508;  // "Programmierung eingeben"
}

std::string folderOf(const std::string &path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

SheetBase::SheetBase(ConnectContext &ctx, int handle, CapabilityFlags caps)
    : portHandle(handle),
      ctx_(ctx),
      caps_(caps),
      title_(text(kSheetCaption)),
      lastPath_(ctx.settings.get(settings::LastPath)) {
    captionLength_ = title_.size();
}

void SheetBase::retranslateTitle() {
    const std::string caption = text(kSheetCaption);
    title_ = caption + title_.substr(std::min(captionLength_, title_.size()));
    captionLength_ = caption.size();
}

void SheetBase::showText(int id, MessageIcon icon) { ctx_.prompts.showMessage(text(id), icon); }

std::string fileMessageText(const FileMessage &message) {
    const std::string text = message.name.empty()
                                 ? ValidationFailure{message.id, message.args, message.key, 0}.text()
                                 : insertArguments(app::text(message.name), message.args);
    return message.key.empty() ? text : message.key + ": " + text;
}

void SheetBase::showFileMessages(const std::vector<FileMessage> &messages) {
    for (const FileMessage &m : messages) ctx_.prompts.showMessage(fileMessageText(m), MessageIcon::Warning);
}

void SheetBase::readFailed(const char *what) { failedReads_.push_back(what); }

std::optional<std::vector<std::uint8_t>> SheetBase::readBlock(const char *what,
                                                              int (*read)(int, unsigned char *, int)) {
    std::vector<std::uint8_t> block(255);
    const int n = read(portHandle, block.data(), static_cast<int>(block.size()));
    if (n < 0) {
        readFailed(what);
        return std::nullopt;
    }
    block.resize(static_cast<std::size_t>(n));
    return block;
}

bool SheetBase::linkForRead(int &baud) {
    if (portHandle != 0) return true;
    CapabilityFlags flags = caps_;
    portHandle = connectReader(ctx_, baud, flags, true);
    if (portHandle != 0) return true;
    readFailed("connection");
    return false;
}

void SheetBase::refuse(const std::string &page, const ValidationFailure &failure) {
    lastRefusal_ = std::make_pair(page, failure);
    ctx_.prompts.showMessage(failure.text(), MessageIcon::Warning);
    if (onRefused) onRefused(page, failure);
}

void SheetBase::beginSteps(std::vector<std::string> steps) { stepPlan_ = StepPlan(std::move(steps)); }

void SheetBase::announceStep(const std::string &what) {
    const ProgramStep step = stepPlan_.find(what);
    if (step.index > 0 && onStep) onStep(step);
}

bool SheetBase::beginStep(const std::string &what) {
    if (programmingStopSignal() != 0) return false;
    announceStep(what);
    return true;
}

bool SheetBase::write(const char *what, const std::vector<std::uint8_t> &bytes,
                      int (*send)(int, const unsigned char *, int)) {
    if (!beginStep(what)) return false;
    bool ok = send(portHandle, bytes.data(), static_cast<int>(bytes.size())) == 0;
    writes_.push_back({what, bytes, ok});
    return ok;
}

void SheetBase::titleWithPath(const std::string &path) {
    auto cut = title_.find(" - ");
    title_ = title_.substr(0, cut) + " - " + path;
}

void SheetBase::setLastPath(const std::string &path) {
    lastPath_ = path;
    ctx_.settings.set(settings::LastPath, path);
}

}  // namespace orvex::app
