#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include "browser/TestBrowserProcess.h"
#include "browser/ui/frmBLoad.h"
#include "browser/ui/frmSetPaths.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "settings/ui/frmOptions.h"
#include "store/Editing.h"
#include "store/LinkStore.h"

using namespace brindlex;
using brindlex::test::EndpointFolder;
using brindlex::test::TestBrowserProcess;
using Requests = std::vector<std::vector<std::string>>;

namespace {

const std::string LinkURL = "http://example.com/a b;$(touch x)";

// Records each start together with the loading window that was up at that moment.
class LoadingAwareStarter : public ProgramStarter
{
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        started.push_back({ program, arguments });
        QString shown;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* loading = qobject_cast<frmBLoad*>(top); loading && loading->isVisible()) {
                shown = loading->windowTitle() + QLatin1Char('|') + loading->Label1->text()
                    + (loading->Picture1->pixmap().isNull() ? "|no picture" : "|picture");
            }
        }
        loadingWindows.push_back(shown);
        return true;
    }
    std::vector<test::StartedProgram> started;
    QStringList loadingWindows;
};

// Lets window events run as a user would use them: the first time, the user gives the
// window's send command once more.
class SecondSendEvents : public EventPump
{
public:
    void processEvents() override
    {
        if (window && !sent) {
            sent = true;
            window->action("mnuPost")->trigger();
        }
    }
    frmTarnwell* window = nullptr;
    bool sent = false;
};

// One recorded request as "service|REQUEST|topic|item".
QString request(const std::string& service, const std::string& topic, const std::string& item)
{
    return QString::fromStdString(service + "|REQUEST|" + topic + "|" + item);
}

QStringList lines(const Requests& requests)
{
    QStringList out;
    for (const std::vector<std::string>& fields : requests) {
        QStringList line;
        for (const std::string& field : fields) {
            line << QString::fromStdString(field);
        }
        out << line.join(QLatin1Char('|'));
    }
    return out;
}

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

class BrowserCommandsTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        makeWorld();
        m_tmp = std::make_unique<EndpointFolder>();
        qputenv("BRINDLEX_DDE_DIR", QByteArray::fromStdString(m_tmp->path() + "/dde"));
    }
    void cleanup()
    {
        closeWindow();
        m_process.reset();
        m_world.reset();
        m_tmp.reset();
        qunsetenv("BRINDLEX_DDE_DIR");
    }

    void sendOfTheSelectedLinkReachesTheBrowser()
    {
        runBrowser({ "--service", "NETSCAPE" });
        loadWithLink();
        m_window->SetSendCommands(true);  // as a click on the link row does
        m_window->toolbarButton(23)->trigger();
        const QStringList expected { request("NETSCAPE", "WWW_ListWindows", ""),
            request("NETSCAPE", "WWW_OpenURL", "\"" + LinkURL + "\",,-1,,,,,"),
            request("NETSCAPE", "WWW_Activate", "-1") };
        QCOMPARE(lines(m_process->requests()), expected);
        QCOMPARE(messages(), QStringList());
    }

    void enterOnAKeyboardSelectedLinkSendsIt()
    {
        // The row is selected without a click: the send commands follow it all the same
        // (a double-click or Enter used to go through a disabled menu item and do nothing).
        runBrowser({ "--service", "NETSCAPE" });
        loadWithLink();
        QVERIFY(m_window->action("mnuPost")->isEnabled());
        m_window->OpenSelectedRow();
        QCOMPARE(
            lines(m_process->requests()).value(1), request("NETSCAPE", "WWW_OpenURL", "\"" + LinkURL + "\",,-1,,,,,"));
    }

    void aSendGivenDuringATransferDoesNothing()
    {
        // The second send used to run inside the first one and reset its client state.
        runBrowser({ "--service", "NETSCAPE", "--service", "Iexplore" });
        SecondSendEvents events;
        test::FakeWorld& fakes = m_world->fakes;
        const Services services { m_world->store,
            Platform { fakes.clipboard, fakes.messages, fakes.clock, fakes.programs, events }, *m_world->settings,
            m_world->fileDialogs, m_world->homePath(), {}, false, {} };
        loadWithLink(services);
        m_world->store.CurrentFolder().FolderItems[0]->Client = "Iexplore";
        m_window->SetSendCommands(true);
        events.window = m_window.get();
        m_window->action("mnuPost")->trigger();
        QVERIFY(events.sent);
        const QStringList expected { request("Iexplore", "WWW_ListWindows", ""),
            request("Iexplore", "WWW_OpenURL", "\"" + LinkURL + "\",,-1,,,,,"),
            request("Iexplore", "WWW_Activate", "-1") };
        QCOMPARE(lines(m_process->requests()), expected);
        events.window = nullptr;
        closeWindow();  // before the event pump goes
    }

    void scanWithNoBrowserPostsToTheClipboardAndKeepsTheFallback()
    {
        m_world->settings->set("Browser", "ID", "1");  // MS Internet Explorer
        loadWithLink();
        m_window->OpenSelectedRow();
        QCOMPARE(messages(),
            QStringList({ "Error---No Browser: There is no browser currently open...\n"
                          "Setting the browser to the system clipboard.",
                "URL Posted: URL has been posted to the clipboard" }));
        QCOMPARE(q(m_world->fakes.clipboard.contents), q(LinkURL));
        QCOMPARE(q(m_window->client().Browser), QStringLiteral("System Clipboard"));
        QCOMPARE(m_window->client().InterfaceType, 0);
        closeWindow();
        QCOMPARE(storedValue("Name"), QStringLiteral("System Clipboard"));
        QCOMPARE(storedValue("ID"), QStringLiteral("1"));
    }

    void closedSpecificBrowserIsStartedWithTheURLUnderTheLoadingWindow_data()
    {
        QTest::addColumn<QString>("openIfClosed");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("open if closed") << "1" << true << QStringList();
        QTest::newRow("report it") << "0" << false
                                   << QStringList { "Error---No Browser: Netscape Navigator is not currently open..." };
    }
    void closedSpecificBrowserIsStartedWithTheURLUnderTheLoadingWindow()
    {
        QFETCH(QString, openIfClosed);
        QFETCH(bool, started);
        QFETCH(QStringList, shown);
        const std::string program = m_tmp->path() + "/Net Scape/netscape -x";
        m_world->settings->set("Browser", "Method", "False");
        m_world->settings->set("Browser", "OpenIfClosed", openIfClosed.toStdString());
        m_world->settings->set("Browsers", "NetscapePath", program);
        LoadingAwareStarter starter;
        test::FakeWorld& fakes = m_world->fakes;
        const Services services { m_world->store,
            Platform { fakes.clipboard, fakes.messages, fakes.clock, starter, fakes.events }, *m_world->settings,
            m_world->fileDialogs, m_world->homePath(), {}, false, {} };
        loadWithLink(services);

        m_window->OpenSelectedRow();
        QCOMPARE(messages(), shown);
        if (started) {
            QCOMPARE(starter.started.size(), size_t(1));
            QCOMPARE(q(starter.started[0].program), q(program));
            QCOMPARE(starter.started[0].arguments, std::vector<std::string>({ LinkURL }));
            QCOMPARE(starter.loadingWindows, QStringList({ "Loading...|Loading Netscape Navigator|picture" }));
        } else {
            QVERIFY(starter.started.empty());
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            QVERIFY(!(qobject_cast<frmBLoad*>(top) && top->isVisible()));
        }
        closeWindow();  // before the starter goes
    }

    void getURLAddsTheBrowsersPageToTheCurrentFolder()
    {
        runBrowser({ "--service", "NETSCAPE", "--reply",
            "WWW_GetWindowInfo=\"file:C|/docs/a.htm\",\"Netscape - [Docs]\",\"x\"" });
        load();
        LinkStore& store = m_world->store;
        const std::string folderId = store.CreateEntry(true, "", 6, "Sub", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(folderId));
        m_window->RefreshPanes(true);
        QCOMPARE(m_window->ListView1()->rowCount(), 0);

        m_window->action("mnuGet")->trigger();
        QCOMPARE(messages(), QStringList());
        const Folder& sub = store.CurrentFolder();
        QCOMPARE(q(sub.id), q(folderId));
        QCOMPARE(sub.FolderItems.size(), size_t(1));
        QCOMPARE(q(sub.FolderItems[0]->URL), QStringLiteral("file:///C:\\docs\\a.htm"));
        QCOMPARE(q(sub.FolderItems[0]->Caption), QStringLiteral("Docs"));
        QCOMPARE(m_window->ListView1()->rowCount(), 1);
        QCOMPARE(m_window->ListView1()->model().text(0, 0), QStringLiteral("Docs"));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("1 object(s)"));
    }

    void malformedWindowInfoCreatesNothing_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("no quotes") << QByteArray("no quotes at all");
        QTest::newRow("one quote") << QByteArray("\"http://example.org/ and no end");
        QTest::newRow("no title") << QByteArray("\"http://example.org/\",no title");
        QTest::newRow("not UTF-8") << QByteArray("\"http://example.org/\xff\",\"bad\"");
    }
    void malformedWindowInfoCreatesNothing()
    {
        QFETCH(QByteArray, reply);
        runBrowser({ "--service", "NETSCAPE", "--reply", "WWW_GetWindowInfo=" + reply.toStdString() });
        load();
        m_window->toolbarButton(21)->trigger();
        QCOMPARE(messages(), QStringList({ "Error---No Browser: There is no browser currently open..." }));
        QVERIFY(m_world->store.CurrentFolder().FolderItems.empty());
        QCOMPARE(m_window->ListView1()->rowCount(), 0);
    }

    void optionsOkChangesTheWindowAndWritesStartMinAtOnce()
    {
        m_world->settings->set("Browser", "DisplayPath", "1");
        load();
        QVERIFY(m_window->windowTitle() != QStringLiteral("Brindlex"));
        const int treeTop = m_window->TreeView1()->mapTo(m_window.get(), QPoint()).y();
        const int treeHeight = m_window->TreeView1()->height();

        runOptions([](frmOptions& options) {
            options.chkDisplayPath->setChecked(false);
            options.chkIncludeDesc->setChecked(true);
            options.chkTray->click();
            options.chkStartMin->setChecked(true);
        });
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Brindlex"));
        QCOMPARE(m_window->IncludeDesc(), 1);
        QVERIFY(m_window->SSPanel1()->isVisible() && m_window->SSPanel2()->isVisible());
        QTRY_VERIFY(m_window->TreeView1()->mapTo(m_window.get(), QPoint()).y() > treeTop);
        QCOMPARE(m_window->TrayFlag(), 1);
        QVERIFY(m_window->TN1() != nullptr);
        QCOMPARE(storedValue("StartMin"), QStringLiteral("1"));  // before any shutdown
        QCOMPARE(storedValue("IncludeDesc"), QStringLiteral("<none>"));

        runOptions([](frmOptions& options) {
            options.chkIncludeDesc->setChecked(false);
            options.chkTray->click();
        });
        QVERIFY(!m_window->SSPanel1()->isVisible() && !m_window->SSPanel2()->isVisible());
        QTRY_COMPARE(m_window->TreeView1()->height(), treeHeight);
        QCOMPARE(m_window->TrayFlag(), 0);
        QVERIFY(m_window->TN1() == nullptr);
    }

    void setPathsFromOptionsStoresThePathsAtOnce()
    {
        load();
        runOptions(
            [this](frmOptions& options) {
                options.Option2->click();
                QTimer::singleShot(0, this, [] {
                    auto* paths = qobject_cast<frmSetPaths*>(QApplication::activeModalWidget());
                    QVERIFY(paths);
                    paths->Text1[3]->setText(QStringLiteral("/opt/spry mosaic/airmos"));
                    paths->cmdOK->click();
                });
                options.Command3->click();
            },
            false);
        QCOMPARE(
            q(m_world->settings->get("Browsers", "SpryMosaicPath", "?")), QStringLiteral("/opt/spry mosaic/airmos"));
        QCOMPARE(q(m_world->settings->get("Browsers", "NetscapePath", "?")), QStringLiteral(""));
    }

    void cancelledOptionsKeepTheChosenFontForTheNextOk()
    {
        load();
        runOptions(
            [](frmOptions& options) {
                options.setFontChooser([](const QFont&) { return std::optional<QFont>(QFont("Courier", 14)); });
                options.Command4->click();
                options.chkAutoSave->setChecked(true);
            },
            false);
        QCOMPARE(q(m_window->ProgramFont()), QStringLiteral("Courier"));
        QCOMPARE(m_window->ProgramFontSize(), 14);
        QCOMPARE(m_window->AutoSave(), 0);
        QVERIFY(m_window->font().family() != QStringLiteral("Courier"));

        // The next OK applies it to the window.
        runOptions([](frmOptions&) {});
        QCOMPARE(m_window->font().family(), QStringLiteral("Courier"));
        QCOMPARE(m_window->ListView1()->font().pointSize(), 14);
    }

    void clientChosenInOptionsSurvivesARestart()
    {
        load();
        runOptions([](frmOptions& options) {
            options.SSTab1->setCurrentIndex(1);
            options.Option2->click();
            options.Combo2->setCurrentIndex(3);  // Spry Mosaic
            options.Check1->setChecked(false);
        });
        QCOMPARE(m_window->toolbarButton(23)->toolTip(), QStringLiteral("Spry Mosaic"));
        closeWindow();
        QCOMPARE(storedValue("Name"), QStringLiteral("Spry Mosaic"));
        QCOMPARE(storedValue("ID"), QStringLiteral("3"));
        QCOMPARE(storedValue("Method"), QStringLiteral("False"));
        QCOMPARE(storedValue("OpenIfClosed"), QStringLiteral("0"));

        runBrowser({ "--service", "Mosaic" });
        loadWithLink();
        QCOMPARE(m_window->toolbarButton(23)->toolTip(), QStringLiteral("Spry Mosaic"));
        m_window->OpenSelectedRow();
        QCOMPARE(messages(), QStringList());
        const QStringList expected { request("Mosaic", "WWW_ListWindows", ""),
            request("Mosaic", "WWW_OpenURL", "\"" + LinkURL + "\",,-1,,,,,"), request("Mosaic", "WWW_Activate", "-1") };
        QCOMPARE(lines(m_process->requests()), expected);
    }

    void clipboardDefaultClientAssignsAnEmptyClientUntilARestart()
    {
        load();
        runOptions([](frmOptions& options) {
            options.chkAutoAssign->setChecked(true);
            options.Option2->click();
            options.Combo2->setCurrentIndex(4);  // System Clipboard
        });
        m_world->fakes.clipboard.contents = "http://example.org/one";
        m_window->action("mnuGet")->trigger();
        QCOMPARE(messages(), QStringList());
        QCOMPARE(m_world->store.CurrentFolder().FolderItems.size(), size_t(1));
        QCOMPARE(q(m_world->store.CurrentFolder().FolderItems[0]->Client), QStringLiteral(""));
        QCOMPARE(m_window->ListView1()->rowCount(), 1);
        closeWindow();

        load();
        m_world->fakes.clipboard.contents = "http://example.org/two";
        m_window->action("mnuGet")->trigger();
        const auto& items = m_world->store.CurrentFolder().FolderItems;
        QVERIFY(!items.empty());
        QCOMPARE(q(items.back()->Client), QStringLiteral("System Clipboard"));
        QCOMPARE(items.back()->Icon, 5);
    }

    void pasteOfAURLTakesItThroughTheClipboardClientOnce()
    {
        load();
        m_world->fakes.clipboard.contents = "file:C:\\x.htm";
        const PasteOutcome outcome = m_window->editing().Paste(Pane::ListView1);
        QVERIFY(outcome.pasted);
        QCOMPARE(outcome.addedIds.size(), size_t(1));
        const auto& items = m_world->store.CurrentFolder().FolderItems;
        QCOMPARE(items.size(), size_t(1));
        QCOMPARE(q(items[0]->IID), q(outcome.addedIds[0]));
        QCOMPARE(q(items[0]->URL), QStringLiteral("file:///C:\\x.htm"));
        QCOMPARE(q(items[0]->Caption), QStringLiteral("From Clipboard"));
        // Paste refreshes the list itself; the clipboard client did not add a row.
        QCOMPARE(m_window->ListView1()->rowCount(), 0);
    }

private:
    void runBrowser(const std::vector<std::string>& options)
    {
        m_process = std::make_unique<TestBrowserProcess>(m_tmp->path(), options);
        QVERIFY(m_process->ready());
    }
    void load() { load(m_world->services()); }
    void load(const Services& services)
    {
        m_world->fakes.messages.shown.clear();
        m_window = std::make_unique<frmTarnwell>(services);
        m_window->Load();
        m_world->fakes.messages.shown.clear();
    }
    // A window with one link in the root folder, its row selected.
    void loadWithLink() { loadWithLink(m_world->services()); }
    void loadWithLink(const Services& services)
    {
        load(services);
        m_world->store.CreateEntry(false, LinkURL, 5, "Link", "Http", "");
        m_window->FillList();
        m_window->ListView1()->selectRow(0);
    }
    // Opens View > Options, lets `change` work on the dialog, then presses OK (or Cancel).
    void runOptions(const std::function<void(frmOptions&)>& change, bool ok = true)
    {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* options = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (!options) {
                return;
            }
            seen = true;
            change(*options);
            (ok ? options->Command1 : options->Command2)->click();
        });
        m_window->action("mnuView4_1")->trigger();
        QVERIFY(seen);
    }
    QStringList messages() const
    {
        QStringList out;
        for (const test::ShownMessage& m : m_world->fakes.messages.shown) {
            out << QString::fromStdString(m.title + ": " + m.text);
        }
        return out;
    }
    // The stored text of a "Browser" key, read straight from the file.
    QString storedValue(const char* key) const
    {
        QSettings raw(QDir(m_world->config.path()).filePath(QStringLiteral("Tarnwell.ini")), QSettings::IniFormat);
        return raw.value(QStringLiteral("Browser/") + QLatin1String(key), QStringLiteral("<none>")).toString();
    }

    std::unique_ptr<EndpointFolder> m_tmp;
    std::unique_ptr<TestBrowserProcess> m_process;
};

QTEST_MAIN(BrowserCommandsTest)
#include "BrowserCommandsTest.moc"
