// The two configuration sheets as windows: the serial sheet (readers with a
// character interface, also USB keyboard, LAN and Bluetooth readers) and the
// keyboard-wedge sheet, each owning its sheet model of liborvexapp.
#pragma once

#include <memory>

#include "app/main_commands.h"
#include "gui/sheets/sheet_dialog.h"
#include "sheets/ps2_sheet.h"
#include "sheets/serial_sheet.h"

namespace orvex::gui {

class CharSequencePageWidget;
class HidParamPage;
class KeyStrokePageWidget;
class SerialDataPage;

class SerialSheetDialog : public SheetDialog {
    Q_OBJECT
public:
    // handle: the main frame's open link (the sheet reads through it and closes it).
    SerialSheetDialog(QWidget *parent, app::ConnectContext &ctx, int handle, int baud,
                      app::CapabilityFlags flags);

    app::SerialSheet &sheet() { return sheet_; }
    CharSequencePageWidget *sequencePage(const std::string &id) const;
    SerialDataPage *dataPage(int set) const;
    HidParamPage *hidPage() const { return hidPage_; }

protected:
    void readModel() override { sheet_.readConfiguration(); }
    bool loadModel() override { return sheet_.loadMkr(); }
    bool saveModel() override { return sheet_.saveMkr(); }
    std::vector<std::pair<std::string, std::string>> pageTitles() const override;

private:
    void loadLayoutFromReader();

    app::SerialSheet sheet_;
    HidParamPage *hidPage_ = nullptr;
};

class Ps2SheetDialog : public SheetDialog {
    Q_OBJECT
public:
    Ps2SheetDialog(QWidget *parent, app::ConnectContext &ctx, int handle, app::CapabilityFlags flags);

    app::Ps2Sheet &sheet() { return sheet_; }
    KeyStrokePageWidget *sequencePage(const std::string &id) const;

protected:
    void readModel() override { sheet_.readConfiguration(); }
    bool loadModel() override { return sheet_.loadMkp(); }
    bool saveModel() override { return sheet_.saveMkp(); }
    std::vector<std::pair<std::string, std::string>> pageTitles() const override;

private:
    app::Ps2Sheet sheet_;
};

// "Konfigurieren": the sheet that fits the reader, run modally. handle is
// the open link; what the sheet leaves in it the caller closes.
std::unique_ptr<SheetDialog> createConfigurationSheet(QWidget *parent, app::ConnectContext &ctx,
                                                      app::SheetKind kind, int handle, int baud,
                                                      app::CapabilityFlags flags);
void runConfigurationSheet(QWidget *parent, app::ConnectContext &ctx, app::SheetKind kind, int &handle,
                           int baud, app::CapabilityFlags flags);

}  // namespace orvex::gui
