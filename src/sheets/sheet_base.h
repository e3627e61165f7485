// What both configuration sheets share: the link handle, the
// capability word, the title, the remembered .mkp path, and how a sheet
// talks to the person (messages, questions, file choosers, focus on a
// refused control) and reports what it wrote.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/capabilities.h"
#include "app/connect.h"
#include "base/file_message.h"
#include "params/content_compare.h"
#include "params/page_model.h"
#include "sheets/program_steps.h"

namespace orvex::app {

// One block or command the programming sent, in order.
struct SheetWrite {
    std::string what;                 // "prefix", "data", "isoOption", "parameters", ...
    std::vector<std::uint8_t> bytes;  // the data sent
    bool ok = true;
};

enum class ProgramOutcome {
    Done,          // message 509
    Failed,        // message 510 (a write failed)
    Stopped,       // a page refused a value; its message was shown
    WrongModel,    // message 141, nothing written
    NoConnection,  // the connect routine's message (serial sheet: then 522)
};

// Page names used when a sheet reports a refused value.
namespace sheet_pages {
inline constexpr const char *kParameters = "parameters";
inline constexpr const char *kData1 = "data1";
inline constexpr const char *kData2 = "data2";
inline constexpr const char *kData = "data";
}  // namespace sheet_pages

class SheetBase {
public:
    SheetBase(ConnectContext &ctx, int portHandle, CapabilityFlags caps);
    virtual ~SheetBase() = default;

    // Fills the pages from the reader (connecting first when the sheet has
    // no open link; a failed connect is the failed read "connection").
    virtual void readConfiguration() = 0;
    // "Programmieren" of the page values.
    virtual ProgramOutcome program() = 0;
    // Everything "Programmieren" would write from the page values.
    virtual ReaderImage image() const = 0;
    // The page values as this sheet's kind of file, remembering nothing (no
    // title, folder or modified state changes): backups of a reader. The
    // reader's model goes into the same write, so a file is whole or not
    // written.
    virtual bool saveBackupFile(const std::string &path, const std::string &readerModel) = 0;
    // The extension of that kind of file: "mkr" or "mkp".
    virtual const char *fileExtension() const = 0;
    // A sheet of the same kind and capabilities on the open link handle,
    // with the pages as a new sheet has them.
    virtual std::unique_ptr<SheetBase> freshSheet(ConnectContext &ctx, int handle, int baud) const = 0;

    int portHandle = 0;
    CapabilityFlags capabilities() const { return caps_; }
    const std::string &title() const { return title_; }
    // After a language switch: the caption in the new language, the rest of
    // the title (device name, file path) kept.
    void retranslateTitle();
    const std::string &lastPath() const { return lastPath_; }

    // Called with the page and the control to focus when a page refuses a
    // value (after its message was shown); the desktop program activates the
    // page and focuses the control.
    std::function<void(const std::string &page, const ValidationFailure &)> onRefused;
    // The refusal of the last operation, if any.
    const std::optional<std::pair<std::string, ValidationFailure>> &lastRefusal() const {
        return lastRefusal_;
    }
    // Called as "Programmieren" enters each of its steps, before the step's
    // first byte goes out; the desktop program shows it while it waits.
    std::function<void(const ProgramStep &)> onStep;
    // Everything the last Program sent.
    const std::vector<SheetWrite> &writes() const { return writes_; }
    // The blocks readConfiguration could not read ("parameters", "data",
    // "prefix", ...); the pages of those keep what they held.
    const std::vector<std::string> &failedReads() const { return failedReads_; }

protected:
    void showText(int id, MessageIcon icon = MessageIcon::Warning);
    void refuse(const std::string &page, const ValidationFailure &failure);
    void showFileMessages(const std::vector<FileMessage> &messages);
    void readFailed(const char *what);
    // The link a read works on: the open one, or a new connection at `baud`
    // (the rate it settled on comes back there). False, recorded as the failed
    // read "connection", when the reader cannot be reached.
    bool linkForRead(int &baud);
    // One block read of up to 255 bytes; nullopt (and `what` recorded as a
    // failed read) when the reader gave no valid answer.
    std::optional<std::vector<std::uint8_t>> readBlock(const char *what,
                                                       int (*read)(int, unsigned char *, int));
    // Nothing is sent (and false returned) once a stop was requested
    // (programming_stop.h); the write is then not recorded.
    bool write(const char *what, const std::vector<std::uint8_t> &bytes,
               int (*send)(int, const unsigned char *, int));
    // Announces a step that is no single write(); false, and the step is not
    // to begin, once a stop was requested.
    bool beginStep(const std::string &what);
    // The steps of the run now starting; write() and announceStep() report
    // the steps of this plan to onStep.
    void beginSteps(std::vector<std::string> steps);
    void announceStep(const std::string &what);
    // Title up to its first " - ", then " - " and the path.
    void titleWithPath(const std::string &path);
    void setLastPath(const std::string &path);

    ConnectContext &ctx_;
    CapabilityFlags caps_;
    std::string title_;
    std::size_t captionLength_ = 0;  // the caption's part of title_
    std::string lastPath_;
    std::optional<std::pair<std::string, ValidationFailure>> lastRefusal_;
    std::vector<SheetWrite> writes_;
    std::vector<std::string> failedReads_;
    StepPlan stepPlan_;
};

// A file message as shown: "Section/Key: " before the text when it names a key.
std::string fileMessageText(const FileMessage &message);

// The folder part of a path (text before the last "/"), "" without one.
std::string folderOf(const std::string &path);

}  // namespace orvex::app
