#include "gui/sheets/configuration_sheets.h"

#include "app/string_table.h"
#include "gui/app/cursor_suspend.h"
#include "gui/sheets/char_sequence_page.h"
#include "gui/sheets/hid_param_page.h"
#include "gui/sheets/key_stroke_page.h"
#include "gui/sheets/ps2_pages.h"
#include "gui/sheets/serial_data_page.h"
#include "gui/sheets/serial_param_page.h"
#include "sheets/hid_key_layout.h"

namespace orvex::gui {

namespace {
constexpr int kNoConnection = 522;
}

SerialSheetDialog::SerialSheetDialog(QWidget *parent, app::ConnectContext &ctx, int handle, int baud,
                                     app::CapabilityFlags flags)
    : SheetDialog(parent, ctx, sheet_), sheet_(ctx, handle, baud, flags) {
    attachSheet();
    // The layout question with its "nicht mehr anzeigen" box.
    sheet_.readerKeyTableLink().layoutQuestion = [this](app::KeyTable &table) {
        askLayoutTakeover(this, ctx_.settings, table);
    };
    for (const app::SheetPageInfo &info : sheet_.pages()) {
        const std::string &id = info.id;
        if (id == app::sheet_pages::kParameters) {
            if (sheet_.hid()) {
                hidPage_ = new HidParamPage(sheet_.hidParams, sheet_.keyTable, ctx, flags);
                if (sheet_.hidKeyTableLink()) hidPage_->loadFromReader = [this] { loadLayoutFromReader(); };
                addPage(hidPage_);
            } else {
                addPage(new SerialParamPage(sheet_.serialParams, ctx, flags));
            }
        } else if (id == app::sheet_pages::kData1 || id == app::sheet_pages::kData2) {
            const bool first = id == app::sheet_pages::kData1;
            addPage(new SerialDataPage(id, first ? sheet_.data1 : sheet_.data2, ctx, flags));
        } else {
            app::CharSequencePage *model = id == "prefix"    ? &sheet_.prefix
                                           : id == "suffix"  ? &sheet_.suffix
                                           : id == "removal" ? &sheet_.removal
                                                             : &sheet_.separator;
            addPage(new CharSequencePageWidget(id, *model, ctx, flags));
        }
    }
    if (SerialDataPage *one = dataPage(1); one && dataPage(2)) {
        one->setPartner(dataPage(2));
        dataPage(2)->setPartner(one);
    }
    retranslate();
}

CharSequencePageWidget *SerialSheetDialog::sequencePage(const std::string &id) const {
    return qobject_cast<CharSequencePageWidget *>(page(id));
}

SerialDataPage *SerialSheetDialog::dataPage(int set) const {
    return qobject_cast<SerialDataPage *>(
        page(set == 1 ? app::sheet_pages::kData1 : app::sheet_pages::kData2));
}

std::vector<std::pair<std::string, std::string>> SerialSheetDialog::pageTitles() const {
    std::vector<std::pair<std::string, std::string>> titles;
    for (const app::SheetPageInfo &info : sheet_.pages()) titles.emplace_back(info.id, info.title);
    return titles;
}

void SerialSheetDialog::loadLayoutFromReader() {
    // A connection of its own, closed again afterwards.
    int baud = 19200;
    app::CapabilityFlags flags = 0;
    int handle = app::connectReader(ctx_, baud, flags, true);
    if (handle == 0) {
        ctx_.prompts.showMessage(app::text(kNoConnection), app::MessageIcon::Warning);
        return;
    }
    if (app::HidKeyTableLink *link = sheet_.hidKeyTableLink()) {
        link->loadFromReader(handle, sheet_.keyTable);
    }
    app::closeReader(handle);
}

Ps2SheetDialog::Ps2SheetDialog(QWidget *parent, app::ConnectContext &ctx, int handle,
                               app::CapabilityFlags flags)
    : SheetDialog(parent, ctx, sheet_), sheet_(ctx, handle, flags) {
    attachSheet();
    for (const app::SheetPageInfo &info : sheet_.pages()) {
        const std::string &id = info.id;
        if (id == app::sheet_pages::kParameters) {
            addPage(new Ps2ParamPage(sheet_.params));
        } else if (id == app::sheet_pages::kData) {
            addPage(new Ps2DataPage(sheet_.data, ctx));
        } else {
            app::KeyStrokePage *model = id == "prefix"    ? &sheet_.prefix
                                        : id == "suffix"  ? &sheet_.suffix
                                        : id == "removal" ? &sheet_.removal
                                                          : &sheet_.separator;
            addPage(new KeyStrokePageWidget(id, *model, ctx));
        }
    }
    retranslate();
}

KeyStrokePageWidget *Ps2SheetDialog::sequencePage(const std::string &id) const {
    return qobject_cast<KeyStrokePageWidget *>(page(id));
}

std::vector<std::pair<std::string, std::string>> Ps2SheetDialog::pageTitles() const {
    std::vector<std::pair<std::string, std::string>> titles;
    for (const app::SheetPageInfo &info : sheet_.pages()) titles.emplace_back(info.id, info.title);
    return titles;
}

std::unique_ptr<SheetDialog> createConfigurationSheet(QWidget *parent, app::ConnectContext &ctx,
                                                      app::SheetKind kind, int handle, int baud,
                                                      app::CapabilityFlags flags) {
    if (kind == app::SheetKind::KeyboardWedge)
        return std::make_unique<Ps2SheetDialog>(parent, ctx, handle, flags);
    return std::make_unique<SerialSheetDialog>(parent, ctx, handle, baud, flags);
}

void runConfigurationSheet(QWidget *parent, app::ConnectContext &ctx, app::SheetKind kind, int &handle,
                           int baud, app::CapabilityFlags flags) {
    auto dialog = createConfigurationSheet(parent, ctx, kind, handle, baud, flags);
    {
        CursorSuspend usable(parent);
        dialog->exec();
    }
    auto *serial = dynamic_cast<SerialSheetDialog *>(dialog.get());
    handle =
        serial ? serial->sheet().portHandle : static_cast<Ps2SheetDialog *>(dialog.get())->sheet().portHandle;
}

}  // namespace orvex::gui
