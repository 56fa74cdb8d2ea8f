// Brindlex and a real headless browser through the extension and brindlex-bridge:
// bdxtool get and send, and the window's Get URL. $BRINDLEX_E2E_BROWSER says which
// browser: "chromium" or "firefox".
#include <fstream>
#include <memory>

#include <QAction>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "RealBrowser.h"
#include "TestWebServer.h"
#include "browser/SocketConversation.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/frmTarnwell.h"
#include "platform/Clock.h"
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
        m_server = std::make_unique<test::TestWebServer>(
            std::map<std::string, std::string> { { "/one", FirstTitleHtml }, { "/two", SecondTitle } });
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
        SocketConversation conversation(5000, dde());
        const std::string expected = "\"" + m_server->url("/two") + "\",\"" + SecondTitle + "\"";
        std::string seen;
        for (int tries = 0; tries < 40 && seen != expected; ++tries) {
            const ConversationReply reply = conversation.Request(m_browser->service(), "WWW_GetWindowInfo", "-1");
            seen = reply.result == ConversationResult::Ok ? reply.text : "no answer";
            if (seen != expected) {
                QTest::qWait(250);
            }
        }
        QCOMPARE(q(seen), q(expected));
        const ConversationReply windows = conversation.Request(m_browser->service(), "WWW_ListWindows", "");
        QCOMPARE(windows.result, ConversationResult::Ok);
        QVERIFY(!windows.text.empty());
        QCOMPARE(conversation.Request(m_browser->service(), "WWW_Activate", "-1").result, ConversationResult::Ok);
        QCOMPARE(conversation.Request(m_browser->service(), "WWW_Bookmarks", "").result, ConversationResult::Refused);
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

private:
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
