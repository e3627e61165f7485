// The configuration sheet of keyboard-wedge readers (CPS2EinstellDlg): key
// stroke pages, one data page and the timing parameters, the shorter
// programming sequence and the .mkp files.
#pragma once

#include <string>
#include <vector>

#include "keys/key_stroke_page.h"
#include "sheets/serial_sheet.h"
#include "sheets/sheet_base.h"
#include "params/content_report.h"
#include "params/data_page_ps2.h"
#include "params/param_page_ps2.h"

namespace orvex::app {

class Ps2Sheet : public SheetBase {
public:
    Ps2Sheet(ConnectContext &ctx, int handle, CapabilityFlags caps);

    std::vector<SheetPageInfo> pages() const;

    void readConfiguration() override;
    ProgramOutcome program() override;
    ReaderImage image() const override;
    bool saveBackupFile(const std::string &path, const std::string &readerModel) override;
    const char *fileExtension() const override { return "mkp"; }
    std::unique_ptr<SheetBase> freshSheet(ConnectContext &ctx, int handle, int baud) const override;

    // "Laden": open-file chooser, may ask 516 and save first.
    bool loadMkp();
    // "Speichern": validates, then the save-file chooser.
    bool saveMkp();
    // The file steps without choosers and questions. A missing file reads as
    // the defaults; false when a section gave a message (the values then
    // are not what the file holds).
    bool loadMkpFile(const std::string &path);
    // readerModel: the model the pages were read from (read-config).
    bool saveMkpFile(const std::string &path, const std::string &readerModel = {});

    // The 11-byte block "Programmieren" writes (after validation).
    std::vector<std::uint8_t> buildBlock() const;
    // The blocks "Programmieren" writes, in the form the read-content report
    // takes (no validation, nothing sent).
    ReaderContent programImage() const;

    ParamPagePs2 params;
    KeyStrokePage prefix{SequenceKind::Prefix};
    DataPagePs2 data;
    KeyStrokePage suffix{SequenceKind::Suffix};
    KeyStrokePage removal{SequenceKind::Removal};
    KeyStrokePage separator{SequenceKind::Separator};

private:
    void readSequence(const char *what, KeyStrokePage &page, int (*read)(int, unsigned char *, int));
    bool writeFileContent(const std::string &path, const std::string &readerModel = {});
    bool validatePages();
};

}  // namespace orvex::app
