#include <memory>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/qt/QtSettingsStore.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

using namespace brindlex;

class QtSettingsStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("BRINDLEX_CONFIG", m_dir->path().toLocal8Bit());
    }
    void cleanup() { qunsetenv("BRINDLEX_CONFIG"); }

    void fileLivesInTheConfiguredFolder()
    {
        QtSettingsStore store;
        QCOMPARE(store.fileName(), m_dir->filePath(QStringLiteral("Tarnwell.ini")));
        store.set("Browser", "ListSort", "4");
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("Tarnwell.ini"))));
    }

    void aBatchReachesTheFileWhenItsOutermostScopeEnds()
    {
        QtSettingsStore store;
        const QString file = m_dir->filePath(QStringLiteral("Tarnwell.ini"));
        {
            const SettingsBatch outer(store);
            store.set("Browser", "Top", "100");
            {
                const SettingsBatch inner(store);
                store.set("Browser", "Left", "200");
            }
            // Read back at once, but not yet on disk.
            QCOMPARE(store.get("Browser", "Left", "?"), std::string("200"));
            QVERIFY(!QFile::exists(file));
        }
        QtSettingsStore reopened;
        QCOMPARE(reopened.get("Browser", "Top", "?"), std::string("100"));
        QCOMPARE(reopened.get("Browser", "Left", "?"), std::string("200"));
        // Outside a batch each write is on disk at once again.
        store.set("Browser", "Width", "300");
        QCOMPARE(QtSettingsStore().get("Browser", "Width", "?"), std::string("300"));
    }

    void keysMatchWithoutRegardToCaseAndKeepOneSpelling()
    {
        QtSettingsStore store;
        store.set("browsers", "IexplorerPath", "/usr/bin/a");
        QCOMPARE(QString::fromStdString(store.get("Browsers", "IEXPLORERPATH", "none")), QStringLiteral("/usr/bin/a"));
        store.set("Browsers", "iexplorerpath", "/usr/bin/b");
        store.set("GoToFolder", "pathhistory0", "Root\\A, with comma");
        store.set("Private", "MyKey", "x");
        store.set("private", "MYKEY", "y");

        // Reopened from the file, as the next start sees it.
        QtSettingsStore again;
        QCOMPARE(QString::fromStdString(again.get("BROWSERS", "IExplorerPath", "")), QStringLiteral("/usr/bin/b"));
        QCOMPARE(
            QString::fromStdString(again.get("GoToFolder", "PathHistory0", "")), QStringLiteral("Root\\A, with comma"));
        QCOMPARE(QString::fromStdString(again.get("private", "mykey", "")), QStringLiteral("y"));
        QCOMPARE(QString::fromStdString(again.get("Browser", "Missing", "fallback")), QStringLiteral("fallback"));

        QSettings raw(m_dir->filePath(QStringLiteral("Tarnwell.ini")), QSettings::IniFormat);
        QCOMPARE(raw.childGroups(), (QStringList { "Browsers", "GoToFolder", "Private" }));
        raw.beginGroup(QStringLiteral("Browsers"));
        QCOMPARE(raw.childKeys(), QStringList { QStringLiteral("IExplorerPath") });
        raw.endGroup();
        raw.beginGroup(QStringLiteral("Private"));
        QCOMPARE(raw.childKeys(), QStringList { QStringLiteral("MyKey") });
        raw.endGroup();

        again.remove("browsers", "IEXPLORERPATH");
        QCOMPARE(QString::fromStdString(again.get("Browsers", "IExplorerPath", "gone")), QStringLiteral("gone"));
    }

    void handWrittenFileIsReadWhateverItsSpelling()
    {
        QFile file(m_dir->filePath(QStringLiteral("Tarnwell.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[browser]\nlistviewmode=1\nlastdb=/a,b.bdx\n");
        file.close();
        QtSettingsStore store;
        QCOMPARE(readInteger(store, setting::ListViewMode), 1);
        QCOMPARE(QString::fromStdString(readText(store, setting::LastDB)), QStringLiteral("/a,b.bdx"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(QtSettingsStoreTest)
#include "QtSettingsStoreTest.moc"
