// The LAN windows of the desktop program against simulated LAN readers in
// the namespace lab: the search list with its marks, a change of address
// that the list follows, the retry when nothing answers, and the address
// controls' input rule.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/string_table.h"
#include "common/lan_lab.h"
#include "common/scripted_prompts.h"
#include "gui/app/dotted_quad_validator.h"
#include "gui/app/ip_search_dialog.h"
#include "gui/app/lan_config_dialog.h"
#include "gui/app/window_lan_functions.h"

using namespace orvex;
using gui::IpSearchDialog;
using gui::LanConfigDialog;

namespace {

QStringList texts(QListWidget *list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

std::string text(int id) { return app::StringTable::instance().text(id); }

TEST(LanDialogs, SearchMarksForeignDevicesAndFollowsAnAddressChange) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24",  //
                  "--reader", "192.168.1.77/24,--lan-config-ip=0.0.0.0,--lan-name=DHCPREADER", "--reader",
                  "192.168.1.50/24,--lan-foreign");
    gui::test::ScriptedPrompts prompts;
    IpSearchDialog search(nullptr, gui::windowLanFunctions(), prompts);
    ASSERT_TRUE(search.refreshList());
    QListWidget *list = search.list();
    ASSERT_EQ(texts(list),
              (QStringList{"192.168.1.30-10001", "[DHCPREADER]192.168.1.77-10001", "192.168.1.50-10001"}));
    for (int row : {0, 1}) {
        EXPECT_FALSE(list->item(row)->font().italic()) << row;
        EXPECT_NE(list->item(row)->foreground().color(), QColor(255, 0, 0)) << row;
    }
    EXPECT_TRUE(list->item(2)->font().italic());
    EXPECT_EQ(list->item(2)->foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(search.changeButton()->isEnabled());
    list->setCurrentRow(0);
    EXPECT_TRUE(search.changeButton()->isEnabled());

    // The settings window loads the reader, refuses a half-typed mask, then
    // moves it to .31; the list is searched again and shows the new address.
    std::vector<int> progress;
    search.changeSelected([&](const std::string &address) {
        LanConfigDialog dialog(&search, address, gui::windowLanFunctions(), prompts);
        EXPECT_TRUE(dialog.fixedRadio()->isChecked());
        EXPECT_FALSE(dialog.dhcpNameEdit()->isEnabled());
        EXPECT_EQ(dialog.ipAddressEdit()->text(), "192.168.1.30");
        EXPECT_EQ(dialog.fixedPortEdit()->text(), "10001");
        EXPECT_EQ(dialog.maskEdit()->text(), "255.255.255.0");
        EXPECT_TRUE(dialog.progressBar()->isHidden());
        EXPECT_EQ(dialog.progressBar()->orientation(), Qt::Vertical);

        dialog.maskEdit()->setText("255.255");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(prompts.messages, std::vector<std::string>{text(10128)});

        dialog.maskEdit()->setText("255.255.255.0");
        dialog.ipAddressEdit()->setText("192.168.1.31");
        QObject::connect(dialog.progressBar(), &QProgressBar::valueChanged,
                         [&](int value) { progress.push_back(value); });
        dialog.accept();
        EXPECT_EQ(dialog.address(), "192.168.1.31-10001");
        EXPECT_TRUE(dialog.progressBar()->isHidden());
        return dialog.result() == QDialog::Accepted;
    });
    EXPECT_FALSE(progress.empty());
    for (int value : progress) EXPECT_TRUE(value >= 0 && value <= 25000 && value % 10 == 0) << value;
    EXPECT_EQ(texts(list),
              (QStringList{"192.168.1.31-10001", "[DHCPREADER]192.168.1.77-10001", "192.168.1.50-10001"}));
    EXPECT_FALSE(search.changeButton()->isEnabled());  // the new list has no selection

    // "Schliessen" returns only a maker's reader.
    list->setCurrentRow(2);
    search.reject();
    EXPECT_FALSE(search.chosenAddress());
    list->setCurrentRow(1);
    search.reject();
    EXPECT_EQ(search.chosenAddress(), "[DHCPREADER]192.168.1.77-10001");
}

TEST(LanDialogs, NothingAnsweringAsksToRetryUntilCancelled) {
    ORVEX_LAN_LAB("--adapter", "192.168.1.1/24");
    gui::test::ScriptedPrompts prompts;
    prompts.answers = {true, false};  // Retry once, then Cancel
    IpSearchDialog search(nullptr, gui::windowLanFunctions(), prompts);
    EXPECT_EQ(search.exec(), QDialog::Rejected);
    const std::string retry = text(10129) + "\n\n" + text(10131);
    EXPECT_EQ(prompts.questions, (std::vector<std::string>{retry, retry}));
    EXPECT_EQ(search.list()->count(), 0);
}

TEST(LanDialogs, AddressControlsTakeOnlyWhatCanBecomeADottedQuad) {
    gui::DottedQuadValidator validator;
    const struct {
        const char *input;
        QValidator::State state;
    } cases[] = {
        {"", QValidator::Acceptable},           {"192.168.1.30", QValidator::Acceptable},
        {"0.0.0.0", QValidator::Acceptable},    {"255.255.255.255", QValidator::Acceptable},
        {"192.168.", QValidator::Intermediate}, {"10", QValidator::Intermediate},
        {"256.1.1.1", QValidator::Invalid},     {"1.2.3.4.5", QValidator::Invalid},
        {"1.2.3.4567", QValidator::Invalid},    {"1.a.3.4", QValidator::Invalid},
        {"1.2.3.-4", QValidator::Invalid},      {"1..3.4", QValidator::Intermediate},
    };
    for (const auto &c : cases) {
        QString input = QString::fromLatin1(c.input);
        int pos = 0;
        EXPECT_EQ(validator.validate(input, pos), c.state) << c.input;
    }
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
