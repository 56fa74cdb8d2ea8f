// Brindlex and a real headless browser through the extension and brindlex-bridge:
// bdxtool get and send, and the window's Get URL. $BRINDLEX_E2E_BROWSER says which
// browser: "chromium" or "firefox".
#include <fstream>
#include <memory>
#include <optional>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "RealBrowser.h"
#include "TestWebServer.h"
#include "bridge/HostManifests.h"
#include "browser/SocketConversation.h"
#include "browser/ui/frmSetPaths.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/frmTarnwell.h"
#include "platform/Clock.h"
#include "platform/PosixProgramStarter.h"
#include "settings/ui/frmOptions.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

using namespace brindlex;
using brindlex::test::RealBrowser;

namespace {

// Quotes, an entity and text beyond ASCII, as a page may have them.
const std::string FirstTitleHtml = "Brindlex \"quoted\" &amp; Grüße — ✓";
const std::string FirstTitle = "Brindlex \"quoted\" & Grüße — ✓";
// What an entry holds of it: its text never holds a double quote.
const std::string FirstCaption = "Brindlex 'quoted' & Grüße — ✓";
const std::string SecondTitle = "Second page";
const std::string ThirdTitle = "Third page";
const std::string FourthTitle = "Fourth page";

constexpr int StartTimeoutMs = 90000;

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

class BrowserBridgeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray which = qgetenv("BRINDLEX_E2E_BROWSER");
        QVERIFY2(which == "chromium" || which == "firefox", "set BRINDLEX_E2E_BROWSER to chromium or firefox");
        m_family = which == "chromium" ? RealBrowser::Family::Chromium : RealBrowser::Family::Firefox;
        QVERIFY(m_root.isValid());
        m_server = std::make_unique<test::TestWebServer>(std::map<std::string, std::string> {
            { "/one", FirstTitleHtml }, { "/two", SecondTitle }, { "/three", ThirdTitle }, { "/four", FourthTitle } });
        QVERIFY(m_server->listening());
        qputenv("BRINDLEX_DDE_DIR", QByteArray::fromStdString(dde()));

        m_browser = std::make_unique<RealBrowser>(m_family, root(), dde(), m_server->url("/one"));
        QVERIFY2(m_browser->failure().empty(), m_browser->failure().c_str());
        const bool up = m_browser->waitForEndpoint(StartTimeoutMs);
        QVERIFY2(up, ("the bridge did not start; the browser wrote:\n" + m_browser->logTail()).c_str());
    }

    void cleanupTestCase()
    {
        m_browser.reset();
        m_server.reset();
        qunsetenv("BRINDLEX_DDE_DIR");
    }

    void bdxtoolGetStoresThePageTheBrowserShows()
    {
        const QString db = q(root() + "/links.bdx");
        QString error;
        QCOMPARE(bdxtool({ "get", chromium() ? "MS Internet Explorer" : "NETSCAPE", "--into", db }, error), 0);
        QCOMPARE(error, QString());
        QCOMPARE(links(db.toStdString()), QStringList { q("links|" + FirstCaption + "|" + m_server->url("/one")) });
    }

    void windowGetURLAddsTheSameEntry()
    {
        test::ExplorerWorld world;
        world.settings->set("Browser", "Name", chromium() ? "MS Internet Explorer" : "Netscape Navigator");
        world.settings->set("Browser", "ID", chromium() ? "1" : "0");
        {
            frmTarnwell window(world.services());
            window.Load();
            world.fakes.messages.shown.clear();
            window.action("mnuGet")->trigger();
            for (const test::ShownMessage& shown : world.fakes.messages.shown) {
                QFAIL(("message shown: " + shown.title + ": " + shown.text).c_str());
            }
            const Folder& folder = world.store.CurrentFolder();
            QCOMPARE(folder.FolderItems.size(), size_t(1));
            QCOMPARE(q(folder.FolderItems[0]->URL), q(m_server->url("/one")));
            QCOMPARE(q(folder.FolderItems[0]->Caption), q(FirstCaption));
            QCOMPARE(window.ListView1()->rowCount(), 1);
            QCOMPARE(window.ListView1()->model().text(0, 0), q(FirstCaption));
            world.fakes.messages.answerNext(Answer::No);  // do not save on close
            window.close();
        }
    }

    void bdxtoolSendOpensASecondPageInANewTab()
    {
        QString error;
        QCOMPARE(
            bdxtool({ "send", chromium() ? "Iexplore" : "Netscape Navigator", q(m_server->url("/two")) }, error), 0);
        QCOMPARE(error, QString());
        // The new tab is the active one once it has loaded, as the extension reports it.
        QCOMPARE(q(shownPage(m_server->url("/two"), SecondTitle)), q(windowInfo(m_server->url("/two"), SecondTitle)));
        SocketConversation conversation(5000, dde());
        const ConversationReply windows = conversation.Request(m_browser->service(), "WWW_ListWindows", "");
        QCOMPARE(windows.result, ConversationResult::Ok);
        QVERIFY(!windows.text.empty());
        QCOMPARE(conversation.Request(m_browser->service(), "WWW_Activate", "-1").result, ConversationResult::Ok);
        QCOMPARE(conversation.Request(m_browser->service(), "WWW_Bookmarks", "").result, ConversationResult::Refused);
    }

    void windowSendURLShowsTheChosenLinkInANewTab()
    {
        test::ExplorerWorld world;
        frmTarnwell window(world.services());  // the "Scan" method: whichever browser is open
        window.Load();
        world.store.CreateEntry(false, m_server->url("/three"), 5, "Third", "Http", "");
        window.FillList();
        clickFirstRow(window);
        world.fakes.messages.shown.clear();
        window.action("mnuPost")->trigger();
        for (const test::ShownMessage& shown : world.fakes.messages.shown) {
            QFAIL(("message shown: " + shown.title + ": " + shown.text).c_str());
        }
        QCOMPARE(q(shownPage(m_server->url("/three"), ThirdTitle)), q(windowInfo(m_server->url("/three"), ThirdTitle)));
        world.fakes.messages.answerNext(Answer::No);  // do not save on close
        window.close();
    }

    // A second host for the service the browser's host serves is refused and changes nothing.
    void aSecondBridgeForTheSameServiceIsRefused()
    {
        QProcess second;
        second.start(BRINDLEX_BRIDGE,
            { chromium() ? q(std::string("chrome-extension://") + bridge::ChromiumExtensionId + "/")
                         : q(std::string("/x/") + bridge::HostName + ".json"),
                bridge::FirefoxExtensionId });
        second.closeWriteChannel();
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(second.readAllStandardError()).trimmed(),
            q("brindlex-bridge: another program already answers " + m_browser->service()));
        QCOMPARE(q(shownPage(m_server->url("/three"), ThirdTitle)), q(windowInfo(m_server->url("/three"), ThirdTitle)));
    }

    // A URL whose request would pass the browser's limit of 1 MiB (the transport itself
    // carries far more) is refused by the bridge, which goes on serving.
    void aRequestTooLongForTheBrowserIsRefused()
    {
        SocketConversation conversation(5000, dde());
        const std::string url = m_server->url("/") + std::string(1024 * 1024, 'x');
        const ConversationReply reply
            = conversation.Request(m_browser->service(), "WWW_OpenURL", "\"" + url + "\",,-1,,,,,");
        QCOMPARE(int(reply.result), int(ConversationResult::Refused));
        QCOMPARE(q(shownPage(m_server->url("/three"), ThirdTitle)), q(windowInfo(m_server->url("/three"), ThirdTitle)));
    }

    // The bridge crashes, leaving its endpoint behind: the extension starts another, which
    // takes the endpoint over and answers for the same browser.
    void theExtensionStartsANewBridgeWhenItsBridgeEnds()
    {
        QCOMPARE(m_browser->killBridge(), 1);
        SocketConversation conversation(2000, dde());
        QTRY_COMPARE_WITH_TIMEOUT(int(conversation.Request(m_browser->service(), "WWW_ListWindows", "").result),
            int(ConversationResult::Ok), 30000);
        QCOMPARE(q(shownPage(m_server->url("/three"), ThirdTitle)), q(windowInfo(m_server->url("/three"), ThirdTitle)));
    }

    void quittingTheBrowserRemovesTheEndpoint()
    {
        QVERIFY(m_browser->quit(30000));
        const std::string endpoint = dde() + "/" + m_browser->service();
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(q(endpoint)), 15000);
        SocketConversation conversation(2000, dde());
        QCOMPARE(
            conversation.Request(m_browser->service(), "WWW_ListWindows", "").result, ConversationResult::NoServer);
    }

    // With the browser closed: Options > Specific, the family's client, "Open Browser if
    // not already", Set Paths > Browse picks the browser's program; File > Send URL then
    // starts it with the link, without a shell, and it comes up with the bridge and the page.
    void windowSendURLStartsTheClosedBrowserFromItsSetPathsPath()
    {
        const std::string program = m_browser->launcher();
        const int row = chromium() ? 1 : 0;  // "MS Internet Explorer", "Netscape Navigator"
        const std::string endpoint = dde() + "/" + m_browser->service();
        QVERIFY(!QFileInfo::exists(q(endpoint)));

        test::ExplorerWorld world;
        PosixProgramStarter starter;
        test::FakeWorld& fakes = world.fakes;
        const Services services { world.store,
            Platform { fakes.clipboard, fakes.messages, fakes.clock, starter, fakes.events }, *world.settings,
            world.fileDialogs, world.homePath(), {}, false, {} };
        frmTarnwell window(services);
        window.Load();
        world.store.CreateEntry(false, m_server->url("/four"), 5, "Fourth", "Http", "");
        window.FillList();
        clickFirstRow(window);

        QString chosenPath;
        bool optionsSeen = false;
        QTimer::singleShot(0, this, [&] {
            auto* options = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (options == nullptr) {
                return;
            }
            optionsSeen = true;
            options->Option2->click();
            options->Combo2->setCurrentIndex(row);
            Q_EMIT options->Combo2->activated(row);
            options->Check1->setChecked(true);
            QTimer::singleShot(0, this, [&] {
                auto* paths = qobject_cast<frmSetPaths*>(QApplication::activeModalWidget());
                if (paths == nullptr) {
                    return;
                }
                paths->setFileChooser([&] { return q(program); });
                paths->cmdBrowse->click();
                chosenPath = paths->Text1[row]->text();
                paths->cmdOK->click();
            });
            options->Command3->click();
            options->Command1->click();
        });
        window.action("mnuView4_1")->trigger();
        QVERIFY(optionsSeen);
        QCOMPARE(chosenPath, q(program));
        QCOMPARE(q(world.settings->get("Browsers", chromium() ? "IExplorerPath" : "NetscapePath", "")), q(program));

        // The program passes its own environment on to the browser it starts.
        std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved;
        for (const auto& [name, value] : m_browser->startEnvironment()) {
            const QByteArray key = QByteArray::fromStdString(name);
            saved.emplace_back(key, qEnvironmentVariableIsSet(key) ? std::optional(qgetenv(key)) : std::nullopt);
            qputenv(key, QByteArray::fromStdString(value));
        }
        fakes.messages.shown.clear();
        window.action("mnuPost")->trigger();
        for (const auto& [key, value] : saved) {
            value ? qputenv(key, *value) : qunsetenv(key);
        }
        for (const test::ShownMessage& shown : fakes.messages.shown) {
            QFAIL(("message shown: " + shown.title + ": " + shown.text).c_str());
        }
        const bool up = m_browser->waitForEndpoint(StartTimeoutMs);
        const std::string page = up ? shownPage(m_server->url("/four"), FourthTitle) : "the bridge did not start";
        QVERIFY(m_browser->endOthersStarted(30000) > 0);
        QCOMPARE(q(page), q(windowInfo(m_server->url("/four"), FourthTitle)));
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(q(endpoint)), 15000);
        fakes.messages.answerNext(Answer::No);  // do not save on close
        window.close();
    }

private:
    // Clicks the list's first row, as the user chooses the link to send.
    static void clickFirstRow(frmTarnwell& window)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ContentsList* list = window.ListView1();
        QAbstractItemView* view = list->currentView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(list->model().index(0, 0)).center());
        QVERIFY(window.action("mnuPost")->isEnabled());
    }
    static std::string windowInfo(const std::string& url, const std::string& title)
    {
        return "\"" + url + "\",\"" + title + "\"";
    }
    // What the browser reports once it shows `url` (with its title), or what it showed last
    // after about ten seconds.
    std::string shownPage(const std::string& url, const std::string& title)
    {
        SocketConversation conversation(5000, dde());
        const std::string expected = windowInfo(url, title);
        std::string seen;
        for (int tries = 0; tries < 40 && seen != expected; ++tries) {
            const ConversationReply reply = conversation.Request(m_browser->service(), "WWW_GetWindowInfo", "-1");
            seen = reply.result == ConversationResult::Ok ? reply.text : "no answer";
            if (seen != expected) {
                QTest::qWait(250);
            }
        }
        return seen;
    }

    bool chromium() const { return m_family == RealBrowser::Family::Chromium; }
    std::string root() const { return m_root.path().toStdString(); }
    std::string dde() const { return root() + "/dde"; }

    int bdxtool(const QStringList& arguments, QString& error)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("BRINDLEX_DDE_DIR", q(dde()));
        environment.insert("BRINDLEX_HOME", q(root()));
        process.setProcessEnvironment(environment);
        process.start(BRINDLEX_BDXTOOL, arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            error = "bdxtool did not finish";
            return -1;
        }
        error = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // "folder|caption|url" for every link of the database.
    static QStringList links(const std::string& path)
    {
        SystemClock clock;
        LinkStore store(clock);
        std::ifstream in(path, std::ios::binary);
        if (!readDatabase(in, store, false).ok()) {
            return { "unreadable" };
        }
        QStringList out;
        for (const auto& item : store.Root().FolderItems) {
            if (!item->IsFolder) {
                out << q(store.Root().Caption + "|" + item->Caption + "|" + item->URL);
            }
        }
        return out;
    }

    RealBrowser::Family m_family = RealBrowser::Family::Chromium;
    QTemporaryDir m_root;
    std::unique_ptr<test::TestWebServer> m_server;
    std::unique_ptr<RealBrowser> m_browser;
};

QTEST_MAIN(BrowserBridgeTest)
#include "BrowserBridgeTest.moc"
