#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "formats/ImportExport.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

const QString SampleDatabase = QStringLiteral(BRINDLEX_TEST_DATA "/explorer/sample.bdx");

// The options as one line, so a table row compares the whole outcome at once.
std::string describe(const Result<StartOptions>& parsed)
{
    if (!parsed.ok()) {
        return "error: " + parsed.error().message;
    }
    const StartOptions& o = parsed.value();
    const char* action = o.action == StartOptions::Action::Help ? "help"
        : o.action == StartOptions::Action::Version             ? "version"
                                                                : "run";
    return std::string(action) + " db=[" + o.database + "]" + (o.newDatabase ? " new" : "")
        + (o.import ? " import" : "") + (o.check ? " check" : "");
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

}  // namespace

// How the program starts: the options a desktop entry, a file manager or a script give it,
// what they make the window do, and the program itself run as a separate process.
class StartupTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { makeWorld(); }
    void cleanup() { close(); }

    void commandLineGivesOptionsOrOneLineUsageErrors()
    {
        const struct
        {
            std::vector<std::string> args;
            std::string expected;
        } cases[] = {
            { {}, "run db=[]" },
            { { "/home/me/links.bdx" }, "run db=[/home/me/links.bdx]" },
            { { "" }, "run db=[]" },  // a launcher's %f without a file
            { { "--new" }, "run db=[] new" },
            { { "--import" }, "run db=[] import" },
            { { "--import", "a.bdx" }, "run db=[a.bdx] import" },
            { { "a.bdx", "--check" }, "run db=[a.bdx] check" },
            { { "--", "--new" }, "run db=[--new]" },
            { { "-" }, "run db=[-]" },
            { { "--help" }, "help db=[]" },
            { { "-h" }, "help db=[]" },
            { { "--new", "a.bdx", "--version" }, "version db=[a.bdx] new" },
            { { "--bogus" }, "error: brindlex: unknown option --bogus (try brindlex --help)" },
            { { "-new" }, "error: brindlex: unknown option -new (try brindlex --help)" },
            { { "a.bdx", "b.bdx" }, "error: brindlex: one database at a time, not also b.bdx (try brindlex --help)" },
            { { "--new", "a.bdx" },
                "error: brindlex: --new starts a new database; it cannot also open a.bdx (try brindlex --help)" },
            { { "--check", "--import" },
                "error: brindlex: --check shows no window, so it cannot --import (try brindlex --help)" },
        };
        for (const auto& c : cases) {
            QCOMPARE(describe(parseCommandLine(c.args)), c.expected);
        }
    }

    void newDatabaseOptionStartsEmptyInsteadOfTheLastDatabase()
    {
        const std::string last = copySample("Last.bdx");
        m_world->settings->set("Browser", "LastDB", last);
        load(true);
        QCOMPARE(m_world->store.DatabaseTitle(), std::string("NewDB.BDX"));
        QCOMPARE(m_world->store.DatabasePath(), m_world->homePath() + "/NewDB.BDX");
        QVERIFY(m_world->store.Root().FolderItems.empty());
        QVERIFY(m_world->store.Root().SubFolders.empty());
        QVERIFY(m_world->fakes.messages.shown.empty());
    }

    void importOptionRunsTheNetscapeImportOnceTheWindowIsUp()
    {
        load();
        const size_t before = m_world->store.Root().FolderItems.size();
        m_world->fileDialogs.answerNext(std::string(BRINDLEX_TEST_DATA "/formats/firefox.htm"));
        StartOptions options;
        options.import = true;
        runStartActions(*m_window, options);
        QVERIFY(m_world->fileDialogs.asked.empty());  // not before the event loop runs
        QTRY_COMPARE(m_world->fileDialogs.asked.size(), size_t(1));
        QCOMPARE(m_world->fileDialogs.asked[0].request.title,
            std::string(importCommandText(ImportKind::Netscape).dialogTitle));
        QTRY_VERIFY(m_world->store.Root().FolderItems.size() > before);
    }

    void summaryCountsTheDatabaseAndTheTreeTheWindowBuilt()
    {
        m_world->commandLine = copySample("Sample.bdx");
        load();
        QCOMPARE(loadedSummary(*m_window, m_world->store),
            "loaded " + m_world->commandLine + ": 3 folders, 10 entries; the folder tree shows 4 nodes");
    }

    void windowShowsTheDrawnIconAtEverySizeOfTheIconTheme()
    {
        load();
        const QIcon icon = m_window->windowIcon();
        QVERIFY(!icon.isNull());
        for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
            const QImage picture = icon.pixmap(QSize(size, size)).toImage();
            QCOMPARE(picture.size(), QSize(size, size));
            // The globe covers the lower right of the picture; the corner above it is clear.
            QVERIFY(qAlpha(picture.pixel(size * 3 / 4, size * 3 / 4)) == 255);
            QVERIFY(qAlpha(picture.pixel(size - 1, 0)) == 0);
        }
    }

    void programChecksThatADatabaseLoads()
    {
        const std::string database = copySample("Sample.bdx");
        const Run run = runProgram({ QStringLiteral("--check"), QString::fromStdString(database) });
        QVERIFY2(!run.err.contains(QStringLiteral("message box")), qPrintable(run.err));
        QCOMPARE(run.out,
            QString::fromStdString(
                "brindlex: loaded " + database + ": 3 folders, 10 entries; the folder tree shows 4 nodes\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void programCheckFailsWithTheMessageABrokenStartWouldShow()
    {
        const QString missing = m_world->home.filePath(QStringLiteral("missing.bdx"));
        const Run run = runProgram({ QStringLiteral("--check"), missing });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("brindlex: message box \"Error\": Error loading ") + missing
                     + QStringLiteral("... Loading New Database...\n")),
            qPrintable(run.err));
        // The start carried on with a new database, as the window does after that message.
        QVERIFY2(run.out.contains(QStringLiteral("/NewDB.BDX: 0 folders, 0 entries; the folder tree shows 1 nodes")),
            qPrintable(run.out));
    }

    void programNewDatabaseOptionIgnoresTheLastDatabase()
    {
        const std::string last = copySample("Last.bdx");
        m_world->settings->set("Browser", "LastDB", last);
        m_world->settings.reset();  // written to the file the program reads
        const Run run = runProgram({ QStringLiteral("--new"), QStringLiteral("--check") });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out,
            QString::fromStdString("brindlex: loaded " + m_world->homePath()
                + "/NewDB.BDX: 0 folders, 0 entries; the folder tree shows 1 nodes\n"));
    }

    void programAnswersHelpVersionAndUsageErrorsWithoutADisplay()
    {
        const Run version = runProgram({ QStringLiteral("--version") }, false);
        QCOMPARE(version.out, QStringLiteral("brindlex " BRINDLEX_VERSION "\n"));
        QCOMPARE(version.exitCode, 0);
        const Run help = runProgram({ QStringLiteral("--help") }, false);
        QVERIFY(help.out.startsWith(QStringLiteral("usage: brindlex [--new | --import] [DATABASE]\n")));
        QCOMPARE(help.exitCode, 0);
        const Run bad = runProgram({ QStringLiteral("--bogus") }, false);
        QCOMPARE(bad.err, QStringLiteral("brindlex: unknown option --bogus (try brindlex --help)\n"));
        QCOMPARE(bad.exitCode, 2);
        const Run noDisplay = runProgram({ QStringLiteral("--check") }, false);
        QVERIFY(noDisplay.err.startsWith(QStringLiteral("brindlex: no display found")));
        QCOMPARE(noDisplay.exitCode, 1);
    }

private:
    void load(bool newDatabase = false)
    {
        Services services = m_world->services();
        services.newDatabase = newDatabase;
        m_window = std::make_unique<frmTarnwell>(services);
        m_window->Load({});
    }

    std::string copySample(const QString& name)
    {
        const QString path = m_world->home.filePath(name);
        QFile::remove(path);
        if (!QFile::copy(SampleDatabase, path)) {
            qFatal("cannot copy the sample database to %s", qPrintable(path));
        }
        return path.toStdString();
    }

    // The program in its own process, with the test's application and settings folders;
    // `display` false takes every display away.
    Run runProgram(const QStringList& args, bool display = true)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRINDLEX_HOME"), m_world->home.path());
        env.insert(QStringLiteral("BRINDLEX_CONFIG"), m_world->config.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (display) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(BRINDLEX_PROGRAM), args);
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            qWarning("brindlex %s did not end", qPrintable(args.join(QLatin1Char(' '))));
        }
        Run run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
