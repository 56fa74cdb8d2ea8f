#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "browser/BrowserHost.h"
#include "browser/WebBrowser.h"
#include "fakes/FakePlatform.h"
#include "platform/Conversation.h"
#include "settings/OptionsHost.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmOptions.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

class NoConversation : public Conversation
{
public:
    ConversationReply Request(const std::string&, const std::string&, const std::string&) override { return {}; }
    ConversationReply CreateObject(const std::string&) override { return {}; }
    ConversationReply Call(const std::string&, const std::string&, const std::vector<std::string>&) override
    {
        return {};
    }
};

class NoHost : public BrowserHost
{
public:
    const FolderItem* SelectedItem() override { return nullptr; }
    void AddEntryToList(const std::string&) override { }
    void LoadBrowser(const std::string&, const std::function<void()>&) override { }
};

class FakeOptionsHost : public OptionsHost
{
public:
    ProgramOptions& Options() override { return options; }
    void ApplyProgramFont() override { appliedFonts.push_back(options.ProgramFont); }
    void SetTitle(const std::string& t) override { title = t; }
    bool ToolbarShown() const override { return toolbar; }
    PaneGeometry Panes() const override { return panes; }
    void SetPanes(const PaneGeometry& p) override { panes = p; }
    void SetTrayIcon(bool shown) override { tray = shown; }
    bool TrayAvailable() const override { return trayAvailable; }
    void ShowDefaultClient(int image, const std::string& tooltip) override
    {
        clientImage = image;
        clientTooltip = tooltip;
    }

    ProgramOptions options;
    std::vector<std::string> appliedFonts;
    std::string title = "Brindlex - /home/u/Brindlex.bdx";
    bool toolbar = true;
    PaneGeometry panes;
    bool tray = false;
    bool trayAvailable = true;
    int clientImage = -1;
    std::string clientTooltip;
};

// One world for a dialog: the main window's side, the browser link and the settings.
struct World
{
    test::FakeWorld fakes;
    Platform platform = fakes.platform();
    LinkStore store { fakes.clock };
    MemorySettings settings;
    NoConversation conversation;
    NoHost browserHost;
    WebBrowser browser { store, platform, conversation, settings, browserHost };
    FakeOptionsHost host;
    std::unique_ptr<frmOptions> open() { return std::make_unique<frmOptions>(host, browser, settings, fakes.messages); }
};

}  // namespace

class frmOptionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void headerBarsOffAndOnGiveBackTheHeights_data()
    {
        QTest::addColumn<bool>("toolbar");
        QTest::newRow("toolbar shown") << true;
        QTest::newRow("toolbar hidden") << false;
    }
    void headerBarsOffAndOnGiveBackTheHeights()
    {
        QFETCH(bool, toolbar);
        World w;
        w.host.toolbar = toolbar;
        w.host.options.IncludeDesc = 1;
        const PaneGeometry before { toolbar ? 780 : 430, 4000, toolbar ? 780 : 430, 3900, toolbar ? 420 : 60, true };
        w.host.panes = before;

        auto off = w.open();
        QVERIFY(off->chkIncludeDesc->isChecked());
        off->chkIncludeDesc->click();
        off->Command1->click();
        QCOMPARE(w.host.options.IncludeDesc, 0);
        QVERIFY(!w.host.panes.HeadersVisible);
        QCOMPARE(w.host.panes.TreeTop, toolbar ? 430 : 60);
        QCOMPARE(w.host.panes.ListTop, toolbar ? 430 : 60);
        QCOMPARE(w.host.panes.TreeHeight, 4375);
        QCOMPARE(w.host.panes.ListHeight, 4275);

        // An OK that does not change the box leaves the panes alone.
        auto same = w.open();
        same->Command1->click();
        QCOMPARE(w.host.panes.TreeHeight, 4375);

        auto on = w.open();
        on->chkIncludeDesc->click();
        on->Command1->click();
        QCOMPARE(w.host.panes.TreeHeight, before.TreeHeight);
        QCOMPARE(w.host.panes.ListHeight, before.ListHeight);
        QCOMPARE(w.host.panes.TreeTop, before.TreeTop);
        QCOMPARE(w.host.panes.HeaderTop, before.HeaderTop);
        QVERIFY(w.host.panes.HeadersVisible);
    }

    // The labels used to name "MS Sans Serif 8", a font no Linux system has.
    void aFontTheSystemLacksIsShownAsTheFontUsedInstead()
    {
        World w;
        QVERIFY(!QFontDatabase::families().contains("MS Sans Serif"));
        auto dialog = w.open();
        QVERIFY2(QFontDatabase::families().contains(dialog->Label5->text()), qPrintable(dialog->Label5->text()));
        QCOMPARE(dialog->Label6->text(), QString("8"));
        dialog->Command1->click();
        QCOMPARE(w.host.options.ProgramFont, std::string("MS Sans Serif"));  // the stored name stays
    }

    void cancelKeepsAChosenFont()
    {
        World w;
        auto dialog = w.open();
        QCOMPARE(dialog->Label6->text(), QString("8"));
        dialog->setFontChooser([](const QFont& initial) -> std::optional<QFont> {
            if (initial.family() != "MS Sans Serif" || initial.pointSize() != 8) {
                return std::nullopt;
            }
            return QFont("DejaVu Sans", 12);
        });
        dialog->Command4->click();
        QCOMPARE(dialog->Label5->text(), QString("DejaVu Sans"));
        QCOMPARE(dialog->Label6->text(), QString("12"));
        dialog->Command2->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(w.host.options.ProgramFont, std::string("DejaVu Sans"));
        QCOMPARE(w.host.options.ProgramFontSize, 12);
        QVERIFY(w.host.appliedFonts.empty());  // applied by the next OK

        // A cancelled font dialog changes nothing.
        auto again = w.open();
        again->setFontChooser([](const QFont&) { return std::nullopt; });
        again->Command4->click();
        QCOMPARE(again->Label5->text(), QString("DejaVu Sans"));
        again->Command1->click();
        QCOMPARE(w.host.appliedFonts, std::vector<std::string> { "DejaVu Sans" });
    }

    void okWritesStartMinAtOnceAndNothingElse()
    {
        World w;
        auto dialog = w.open();
        QVERIFY(!dialog->chkStartMin->isEnabled());  // no tray, no hidden start
        dialog->chkTray->click();
        QVERIFY(dialog->chkStartMin->isEnabled());
        dialog->chkStartMin->click();
        dialog->chkAutoSave->click();
        dialog->chkAutoAssign->click();
        dialog->Command1->click();
        QCOMPARE(w.settings.get("Browser", "StartMin", "?"), std::string("1"));
        QVERIFY(!w.settings.contains("Browser", "AutoSave"));
        QVERIFY(!w.settings.contains("Browser", "Name"));
        QCOMPARE(w.host.options.AutoSave, 1);
        QCOMPARE(w.host.options.TrayFlag, 1);
        QVERIFY(w.host.tray);
        QCOMPARE(w.store.AutoAssign(), 1);
        QCOMPARE(w.host.title, std::string("Brindlex"));

        auto reopened = w.open();
        QVERIFY(reopened->chkStartMin->isChecked());
        QVERIFY(reopened->chkStartMin->isEnabled());
    }

    void withoutATrayTheTrayBoxIsGreyedAndKeepsTheStoredFlag()
    {
        World w;
        w.host.trayAvailable = false;
        w.host.options.TrayFlag = 1;
        auto dialog = w.open();
        QVERIFY(dialog->chkTray->isChecked());
        QVERIFY(!dialog->chkTray->isEnabled());
        QVERIFY(!dialog->chkTray->toolTip().isEmpty());
        dialog->Command1->click();
        QCOMPARE(w.host.options.TrayFlag, 1);
    }

    void openingStopsAtAValueItCannotShow()
    {
        World w;
        w.host.options.AutoSave = 1;
        w.settings.set("Browser", "StartMin", "yes");
        auto dialog = w.open();
        QCOMPARE(w.fakes.messages.shown.size(), size_t(1));
        QCOMPARE(w.fakes.messages.shown[0].text, std::string("Error #3"));
        QVERIFY(dialog->chkAutoSave->isChecked());  // filled before the failure
        QVERIFY(dialog->Label5->text().isEmpty());  // not reached
    }

    void browserTabEnablingAndChoice()
    {
        World w;
        w.browser.ChooseDefaultClient(2, true, 1);
        auto dialog = w.open();
        QVERIFY(dialog->Option1->isChecked());
        QCOMPARE(dialog->Combo1->currentIndex(), 2);
        QVERIFY(dialog->Combo1->isEnabled());
        QVERIFY(!dialog->Combo2->isEnabled());
        QVERIFY(!dialog->Check1->isEnabled());
        QVERIFY(dialog->Check1->isChecked());
        QVERIFY(!dialog->Command3->isEnabled());

        dialog->Option2->click();
        QVERIFY(!dialog->Combo1->isEnabled());
        QVERIFY(dialog->Combo2->isEnabled());
        QVERIFY(dialog->Check1->isEnabled());
        QVERIFY(dialog->Command3->isEnabled());
        dialog->Combo2->setCurrentIndex(5);
        Q_EMIT dialog->Combo2->activated(5);
        QVERIFY(!dialog->Check1->isEnabled());
        QVERIFY(!dialog->Command3->isEnabled());
        dialog->Combo2->setCurrentIndex(4);
        Q_EMIT dialog->Combo2->activated(4);
        dialog->Check1->setChecked(false);
        dialog->Command1->click();
        QCOMPARE(w.browser.BrowserID, 4);
        QCOMPARE(w.browser.Browser, std::string("System Clipboard"));
        QCOMPARE(w.browser.InterfaceName(), std::string());
        QCOMPARE(w.browser.InterfaceType, -1);
        QVERIFY(!w.browser.Method);
        QCOMPARE(w.browser.OpenIfClosed, 0);
        QCOMPARE(w.host.clientImage, 4);
        QCOMPARE(w.host.clientTooltip, std::string("System Clipboard"));

        w.browser.ChooseDefaultClient(5, false, 1);
        auto mosaic = w.open();
        QVERIFY(mosaic->Option2->isChecked());
        QCOMPARE(mosaic->Combo2->currentIndex(), 5);
        QCOMPARE(mosaic->Combo1->currentIndex(), 0);
        QVERIFY(!mosaic->Check1->isEnabled());
        QVERIFY(mosaic->Command3->isEnabled());
    }

    void enterOnChangeFontMeansOk()
    {
        World w;
        auto dialog = w.open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->Command4->setFocus();
        QTest::keyClick(dialog->Command4, Qt::Key_Return);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(w.settings.get("Browser", "StartMin", "?"), std::string("0"));
    }
};

QTEST_MAIN(frmOptionsTest)
#include "frmOptionsTest.moc"
