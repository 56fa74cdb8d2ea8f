#include <memory>

#include <QAction>
#include <QFile>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseLock.h"
#include "store/LinkStore.h"

using namespace brindlex;
using brindlex::test::FakeFileDialogs;

// The File menu's database commands as the user meets them: New, Open, Save and Save As,
// with their questions and the file dialogs answered by the test.
class FileMenuTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { makeWorld(); }
    void cleanup() { close(); }

    void saveAsCorrectsTheExtensionAndRenamesTheRoot_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("corrected");
        QTest::newRow("no dot") << "Links"
                                << "Links.bdx" << true;
        QTest::newRow("other extension") << "Links.txt"
                                         << "Links.bdx" << true;
        QTest::newRow("right extension") << "Links.BDX"
                                         << "Links.BDX" << false;
    }
    void saveAsCorrectsTheExtensionAndRenamesTheRoot()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(bool, corrected);
        open();
        const std::string folder = m_world->homePath() + "/";
        m_world->fileDialogs.answerNext(folder + typed.toStdString());
        trigger(Command::SaveFileAs);

        const auto& request = m_world->fileDialogs.asked.back();
        QVERIFY(request.kind == FakeFileDialogs::Kind::Save);
        QCOMPARE(QString::fromStdString(request.request.title), QStringLiteral("Save Brindlex Database As"));
        QCOMPARE(QString::fromStdString(request.request.defaultSuffix), QStringLiteral("bdx"));
        const std::string expected = folder + saved.toStdString();
        QVERIFY(QFile::exists(QString::fromStdString(expected)));
        QCOMPARE(QString::fromStdString(m_world->store.DatabasePath()), QString::fromStdString(expected));
        QCOMPARE(QString::fromStdString(m_world->store.Root().Caption), QStringLiteral("Links"));
        QCOMPARE(m_window->TreeView1()->topLevelItem(0)->text(0), QStringLiteral("Links"));
        if (corrected) {
            QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
            const auto& box = m_world->fakes.messages.shown.front();
            QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Extention Error"));
            QCOMPARE(QString::fromStdString(box.text),
                QStringLiteral("Invalid file extention. Must be .BDX. Making correction\nNew file name is ")
                    + QString::fromStdString(expected));
        } else {
            QVERIFY(m_world->fakes.messages.shown.empty());
        }
    }

    void saveOfANewDatabaseAsksForANameAndACancelLeavesTheMarker()
    {
        open();
        trigger(Command::SaveFile);  // the first-run database is "NewDB.BDX": Save As, cancelled
        QCOMPARE(m_world->fileDialogs.asked.size(), size_t(1));
        QCOMPARE(QString::fromStdString(m_window->saveMarker()), QStringLiteral("Cancel"));
        QVERIFY(!QFile::exists(QString::fromStdString(m_world->store.DatabasePath())));

        const std::string path = m_world->homePath() + "/Kept.bdx";
        m_world->fileDialogs.answerNext(path);
        trigger(Command::SaveFile);
        QVERIFY(QFile::exists(QString::fromStdString(path)));
        // Now it has a name: Save writes without a dialog.
        m_world->store.CreateEntry(false, "http://example.com/", 5, "Example", "HTTP", "");
        trigger(Command::SaveFile);
        QCOMPARE(m_world->fileDialogs.asked.size(), size_t(2));
        LinkStore reread { m_world->fakes.clock };
        const DatabaseContext context { m_world->fakes.messages, m_world->fakes.events, m_world->homePath() };
        QVERIFY(LoadDatabase(reread, path, false, context));
        QCOMPARE(reread.Root().FolderItems.size(), size_t(1));
    }

    void newAsksFirstAndKeepsTheDatabaseWhenTheSaveDoesNotHappen()
    {
        const std::string path = savedDatabaseWithOneLink();
        open();
        QCOMPARE(m_world->store.Root().FolderItems.size(), size_t(1));

        m_world->fakes.messages.answerNext(Answer::Cancel);
        trigger(Command::NewFile);
        QCOMPARE(m_world->store.Root().FolderItems.size(), size_t(1));
        const auto& box = m_world->fakes.messages.shown.back();
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Save Database ?"));
        QVERIFY(box.buttons == MessageButtons::YesNoCancel && box.icon == MessageIcon::Question);

        m_world->fakes.messages.answerNext(Answer::No);
        trigger(Command::NewFile);
        QVERIFY(m_world->store.Root().FolderItems.empty());
        QCOMPARE(QString::fromStdString(m_world->store.DatabaseTitle()).toLower(), QStringLiteral("newdb.bdx"));
        QCOMPARE(m_window->ListView1()->model().rowCount(), 0);

        // Yes on a database that was never saved goes through Save As; cancelling it keeps
        // the new database and everything added to it.
        m_world->store.CreateEntry(false, "http://example.org/", 5, "Kept", "HTTP", "");
        m_world->fakes.messages.answerNext(Answer::Yes);
        trigger(Command::NewFile);
        QCOMPARE(m_world->store.Root().FolderItems.size(), size_t(1));
        QVERIFY(QFile::exists(QString::fromStdString(path)));
    }

    void openLoadsTheChosenDatabaseAfterTheSaveQuestion()
    {
        const std::string path = savedDatabaseWithOneLink();
        m_world->settings->set("Browser", "LastDB", m_world->homePath() + "/Missing.bdx");
        open();
        m_world->fakes.messages.shown.clear();

        trigger(Command::OpenFile);  // dialog cancelled: nothing asked, nothing changes
        QVERIFY(m_world->fakes.messages.shown.empty());

        m_world->fileDialogs.answerNext(path);
        m_world->fakes.messages.answerNext(Answer::Cancel);
        trigger(Command::OpenFile);
        QVERIFY(m_world->store.Root().FolderItems.empty());

        m_world->fileDialogs.answerNext(path);
        m_world->fakes.messages.answerNext(Answer::No);
        trigger(Command::OpenFile);
        QCOMPARE(QString::fromStdString(m_world->store.DatabasePath()), QString::fromStdString(path));
        QCOMPARE(m_world->store.Root().FolderItems.size(), size_t(1));
        QCOMPARE(m_window->ListView1()->model().rowCount(), 1);
        QCOMPARE(QString::fromStdString(m_world->fileDialogs.asked.back().request.title),
            QStringLiteral("Open Brindlex Database"));
    }

    void closingWithYesAndACancelledSaveAsKeepsTheWindow()
    {
        open();
        m_world->store.CreateEntry(false, "http://example.net/", 5, "Unsaved", "HTTP", "");
        m_world->fakes.messages.answerNext(Answer::Yes);
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_world->store.Root().FolderItems.size(), size_t(1));
    }

    void databaseAnotherCopyHoldsOpensReadOnlyAndIsSavedUnderAnotherName()
    {
        const std::string path = savedDatabaseWithOneLink();
        const std::string before = bytesOf(path);
        DatabaseLock otherCopy;
        QVERIFY(otherCopy.acquire(path).ok());
        open();
        QVERIFY(m_window->windowTitle().endsWith(QStringLiteral(" (read-only)")));
        QCOMPARE(m_world->store.Root().FolderItems.size(), size_t(1));

        m_world->store.CreateEntry(false, "http://example.net/", 5, "Two", "HTTP", "");
        const std::string copy = m_world->homePath() + "/Copy.bdx";
        m_world->fileDialogs.answerNext(copy);
        m_world->fakes.messages.shown.clear();
        trigger(Command::SaveFile);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(m_world->fakes.messages.shown[0].title), QStringLiteral("Read-Only Database"));
        QCOMPARE(bytesOf(path), before);
        QVERIFY(bytesOf(copy).find("http://example.net/") != std::string::npos);
        QVERIFY(!m_window->windowTitle().contains(QStringLiteral("read-only")));
    }

    void saveOverAFileChangedOnDiskAsksFirst()
    {
        const std::string path = savedDatabaseWithOneLink();
        open();
        QVERIFY(!m_window->windowTitle().contains(QStringLiteral("read-only")));
        // While the window has it open, no other copy may take it for writing.
        DatabaseLock otherCopy;
        QVERIFY(!otherCopy.acquire(path).ok());

        const std::string theirs = bytesOf(path) + "\r\n";
        QVERIFY(writeFileBytes(path, theirs));
        m_world->store.CreateEntry(false, "http://example.net/", 5, "Two", "HTTP", "");
        m_world->fakes.messages.shown.clear();
        m_world->fakes.messages.answerNext(Answer::Cancel);
        trigger(Command::SaveFile);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(m_world->fakes.messages.shown[0].title), QStringLiteral("Database Changed"));
        QCOMPARE(bytesOf(path), theirs);

        m_world->fakes.messages.answerNext(Answer::Yes);
        trigger(Command::SaveFile);
        QVERIFY(bytesOf(path).find("http://example.net/") != std::string::npos);
    }

private:
    static std::string bytesOf(const std::string& path)
    {
        const Result<std::string> bytes = readFileBytes(path);
        return bytes.ok() ? bytes.value() : std::string("(unreadable)");
    }
    static bool writeFileBytes(const std::string& path, const std::string& bytes)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    }

    // A database file with one link at the root; returns its path.
    std::string savedDatabaseWithOneLink()
    {
        const std::string path = m_world->homePath() + "/One.bdx";
        LinkStore other { m_world->fakes.clock };
        other.NewDatabase(m_world->homePath());
        other.SetDatabasePath(path);
        other.CreateEntry(false, "http://example.com/one", 5, "One", "HTTP", "");
        if (!SaveDatabase(other).ok()) {
            return {};
        }
        m_world->settings->set("Browser", "LastDB", path);
        return path;
    }
};

QTEST_MAIN(FileMenuTest)
#include "FileMenuTest.moc"
