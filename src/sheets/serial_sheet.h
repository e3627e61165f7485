// The configuration sheet of readers with a character interface: its pages, reading the reader's
// configuration when it opens, "Programmieren" in the reader's fixed command order, and the .mkr files of
// "Laden" and "Speichern".
#pragma once

#include <string>
#include <vector>

#include "keys/char_sequence_page.h"
#include "sheets/hid_key_layout.h"
#include "sheets/reader_key_table_link.h"
#include "sheets/sheet_base.h"
#include "params/content_report.h"
#include "params/data_page_serial.h"
#include "params/param_page_hid.h"
#include "params/param_page_serial.h"

namespace orvex::app {

// One tab of a sheet: a stable id and the title shown.
struct SheetPageInfo {
    std::string id;  // "parameters", "prefix", "data1", "data2", "suffix", "removal", "separator"
    std::string title;
};

class SerialSheet : public SheetBase {
public:
    // handle: the open link of the main frame (0: readConfiguration connects
    // by itself); baudRate: the connection's rate.
    SerialSheet(ConnectContext &ctx, int handle, int baudRate, CapabilityFlags caps);

    const std::string &deviceName() const { return deviceName_; }
    unsigned versionDigit() const { return versionDigit_; }
    int baudRate() const { return baudRate_; }
    bool hid() const { return hasCapability(caps_, CAP_HID); }
    bool twoDataSets() const { return hasCapability(caps_, CAP_TWO_DATA_BLOCKS); }

    std::vector<SheetPageInfo> pages() const;

    // Reads and writes of the keyboard table of USB keyboard readers (by
    // default over the reader's HID channel); without a link the sheet
    // neither reads nor writes the reader's table.
    void setHidKeyTableLink(HidKeyTableLink *link) { hidLink_ = link; }
    ReaderKeyTableLink &readerKeyTableLink() { return readerLink_; }
    HidKeyTableLink *hidKeyTableLink() const { return hidLink_; }

    void readConfiguration() override;
    ProgramOutcome program() override;
    ReaderImage image() const override;
    bool saveBackupFile(const std::string &path, const std::string &readerModel) override;
    const char *fileExtension() const override { return "mkr"; }
    std::unique_ptr<SheetBase> freshSheet(ConnectContext &ctx, int handle, int baud) const override;
    // The blocks "Programmieren" writes from the current page values, in the
    // form the read-content report takes (no validation, nothing sent).
    ReaderContent programImage() const;

    // "Laden": may ask 516 (and save first), then the open-file chooser.
    bool loadMkr();
    // "Speichern": validates, then the save-file chooser. True when saved.
    bool saveMkr();
    // The file steps without choosers and questions. A load fails (false,
    // messages shown, the sequence pages emptied) when the file cannot be
    // read or any of its values gave a message.
    bool loadMkrFile(const std::string &path);
    // readerModel: the model the pages were read from (read-config).
    bool saveMkrFile(const std::string &path, const std::string &readerModel = {});

    // Pages.
    ParamPageSerial serialParams;
    ParamPageHid hidParams;
    CharSequencePage prefix{SequenceKind::Prefix};
    DataPageSerial data1;
    DataPageSerial data2;
    CharSequencePage suffix{SequenceKind::Suffix};
    CharSequencePage removal{SequenceKind::Removal};
    CharSequencePage separator{SequenceKind::Separator};
    // The keyboard table of the HID parameter page.
    KeyTable keyTable;

private:
    bool anyModified() const;
    void clearModifiedAndSnapshots();
    bool validateDataPages();
    bool validateParameterPage();
    bool programSteps(int &baud);
    bool writeMkr(const std::string &path, const std::string &readerModel);
    // The write that changes the line's rate is sent: a plain serial link.
    bool setsBaudRate() const;
    void storeRecords(DataFormatRecord &r1, DataFormatRecord &r2, OperatingParameters &params) const;
    void readSequence(const char *what, CharSequencePage &page, int (*read)(int, unsigned char *, int));

    int baudRate_;
    std::string deviceName_;
    unsigned versionDigit_ = 0;
    ReaderKeyTableLink readerLink_;
    HidKeyTableLink *hidLink_ = &readerLink_;
};

}  // namespace orvex::app
