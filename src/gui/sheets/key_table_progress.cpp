#include "gui/sheets/key_table_progress.h"

#include "gui/app/ui_text.h"
#include "sheets/reader_key_table_link.h"

namespace orvex::gui {
namespace {
constexpr int kShowAfterMs = 300;  // quick transfers do not flicker a window
}

app::KeyTableProgress KeyTableProgress::callback() {
    return [this](app::KeyTableStep step, int done, int total) { show(step, done, total); };
}

void KeyTableProgress::show(app::KeyTableStep step, int done, int total) {
    if (!dialog_) {
        dialog_ = new QProgressDialog(parent_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setCancelButton(nullptr);  // a half-written table helps nobody
        dialog_->setMinimumDuration(kShowAfterMs);
        dialog_->setAutoClose(true);
        dialog_->setAutoReset(true);
        dialog_->setAttribute(Qt::WA_DeleteOnClose);
        dialog_->setWindowTitle(QStringLiteral("Orvex ReaderSetup"));
        dialog_->setMinimumWidth(360);
    }
    dialog_->setMaximum(total);
    dialog_->setLabelText(QString::fromStdString(app::keyTableProgressText(step, done, total)));
    // A window-modal dialog handles the pending events here, so everything stays painted.
    dialog_->setValue(done);
}

}  // namespace orvex::gui
