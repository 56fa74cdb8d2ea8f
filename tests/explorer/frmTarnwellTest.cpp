#include <cmath>
#include <memory>
#include <string>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "store/DatabaseFile.h"

using namespace brindlex;
using brindlex::test::ExplorerWorld;

namespace {

// The stored text of a "Browser" key, read straight from the file; "<none>" when absent.
QString storedValue(const ExplorerWorld& world, const char* key)
{
    QSettings raw(QDir(world.config.path()).filePath(QStringLiteral("Tarnwell.ini")), QSettings::IniFormat);
    return raw.value(QStringLiteral("Browser/") + QLatin1String(key), QStringLiteral("<none>")).toString();
}

// The settings store of a window test, counting the writes that reach the file one by one
// (outside a batch) and the batches that end.
class CountingSettings : public SettingsStore
{
public:
    explicit CountingSettings(SettingsStore& file)
        : m_file(file)
    {
    }
    std::string get(const std::string& section, const std::string& key, const std::string& fallback) const override
    {
        return m_file.get(section, key, fallback);
    }
    void set(const std::string& section, const std::string& key, const std::string& value) override
    {
        m_file.set(section, key, value);
        lone += m_depth == 0 ? 1 : 0;
    }
    void remove(const std::string& section, const std::string& key) override
    {
        m_file.remove(section, key);
        lone += m_depth == 0 ? 1 : 0;
    }
    void beginBatch() override
    {
        ++m_depth;
        m_file.beginBatch();
    }
    void endBatch() override
    {
        m_file.endBatch();
        if (--m_depth == 0) {
            ++batches;
        }
    }

    int lone = 0;
    int batches = 0;

private:
    SettingsStore& m_file;
    int m_depth = 0;
};

}  // namespace

class frmTarnwellTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

public:
    // The offscreen screen is 1600 by 1000 pixels, a common laptop's, instead of 800 by 800.
    static void initMain()
    {
        if (qgetenv("QT_QPA_PLATFORM") != "offscreen") {
            return;
        }
        static QTemporaryFile config;
        if (config.open()) {
            config.write(R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": 1600, "height": 1000,
                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            config.flush();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
        }
    }

private Q_SLOTS:
    void init() { makeWorld(); }
    void cleanup() { close(); }

    void firstRunStartsQuietlyWithDefaults()
    {
        open();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(storedValue(*m_world, "FirstLoad"), QStringLiteral("999"));
        QCOMPARE(m_window->ListView1()->viewMode(), 3);
        QVERIFY(action("mnuView2_3")->isChecked());
        QVERIFY(m_window->toolbarButton(17)->isChecked());
        QVERIFY(!m_window->SSPanel1()->isVisible());
        QVERIFY(!m_window->SSPanel2()->isVisible());
        QVERIFY(m_window->Toolbar1()->isVisible());
        QVERIFY(m_window->statusBar()->isVisible());
        QVERIFY(action("mnuView1_0")->isChecked() && action("mnuView1_1")->isChecked());
        // No size stored: a share of the screen, in its middle.
        const QRect area = m_window->screen()->availableGeometry();
        QCOMPARE(area.size(), QSize(1600, 1000));
        QCOMPARE(
            m_window->size(), QSize(area.width() * 3 / 5, area.height() * 3 / 5).expandedTo(m_window->minimumSize()));
        // (centred before the window manager framed it: off by half the frame at most)
        const QPoint off = m_window->frameGeometry().center() - area.center();
        QVERIFY(std::abs(off.x()) <= m_window->frameGeometry().width() - m_window->width() + 1);
        QVERIFY(std::abs(off.y()) <= m_window->frameGeometry().height() - m_window->height() + 1);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Brindlex"));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("0 object(s)"));
        QCOMPARE(m_window->TreeView1()->topLevelItemCount(), 1);
        QCOMPARE(FolderTree::key(m_window->TreeView1()->topLevelItem(0)), QStringLiteral("RootFolder"));
        QCOMPARE(QString::fromStdString(m_world->store.DatabaseTitle()), QStringLiteral("NewDB.BDX"));
        // Nothing selected yet: the send commands are off.
        QVERIFY(!action("mnuPost")->isEnabled());
        QVERIFY(!action("mnuSt")->isVisible());
        QVERIFY(!m_window->toolbarButton(23)->isEnabled());
        QCOMPARE(m_window->toolbarButton(23)->toolTip(), QStringLiteral("Netscape Navigator"));
        // Commands are there, named and captioned; the import commands are connected.
        QCOMPARE(action("mnuImpNetscape")->text(), QStringLiteral("&Netscape Bookmarks"));
        QVERIFY(action("mnuImpNetscape")->isEnabled());
        // The Edit commands are connected by their controller; the toolbar twins follow.
        QVERIFY(action("mnuEd_0")->isEnabled());
        QVERIFY(m_window->toolbarButton(5)->isEnabled());
        QVERIFY(!m_window->toolbarButton(9)->isVisible());
        QVERIFY(action("mnuView4_0")->isEnabled());
    }

    void exitWritesTheSettingsAndTheNextStartReadsThem()
    {
        open();
        m_window->SetViewMode(1);
        m_window->ArrangeBy(4);
        action("mnuView1_0")->trigger();  // toolbar off
        action("mnuView1_2")->trigger();  // single pane
        m_world->fakes.messages.answerNext(Answer::No);
        QVERIFY(m_window->close());
        m_window.reset();

        for (const char* key : { "ListViewMode", "Column1", "Column2", "Column3", "Column4", "Column5", "Column6",
                 "Column7", "ListLeft", "ListWidth", "TreeLeft", "TreeWidth", "TrayFlag", "ShowToolbar",
                 "ShowStatusbar", "LastDB", "AutoAssign", "AutoSave", "IncludeDesc", "DisplayPath", "Name", "ID",
                 "Method", "OpenIfClosed", "ProgramFont", "ProgramFontSize", "ListSort", "Top", "Left", "Height",
                 "Width", "WindowState", "PaneMode", "FirstLoad" }) {
            QVERIFY2(storedValue(*m_world, key) != QStringLiteral("<none>"), key);
        }
        QCOMPARE(storedValue(*m_world, "ListViewMode"), QStringLiteral("1"));
        QCOMPARE(storedValue(*m_world, "ListSort"), QStringLiteral("4"));
        QCOMPARE(storedValue(*m_world, "ShowToolbar"), QStringLiteral("False"));
        QCOMPARE(storedValue(*m_world, "PaneMode"), QStringLiteral("True"));
        const QString date = storedValue(*m_world, "Column2");  // the width it was shown at
        // The hidden ID column's default is below 1, so it is read as 1.
        QCOMPARE(storedValue(*m_world, "Column7"), QStringLiteral("1"));
        QCOMPARE(storedValue(*m_world, "TreeWidth"), QStringLiteral("2685"));
        const QString width = storedValue(*m_world, "Width");
        QCOMPARE(storedValue(*m_world, "Method"), QStringLiteral("True"));

        open();
        QCOMPARE(m_window->ListView1()->viewMode(), 1);
        QVERIFY(action("mnuView2_1")->isChecked() && !action("mnuView2_3")->isChecked());
        QVERIFY(action("mnuView5_4")->isChecked() && !action("mnuView5_3")->isChecked());
        QVERIFY(!m_window->Toolbar1()->isVisible());
        QVERIFY(m_window->PaneMode());
        QVERIFY(!m_window->TreeView1()->isVisible());
        QVERIFY(action("mnuView1_2")->isChecked());
        // Stored sizes win over the first run's.
        QCOMPARE(m_window->width(), m_window->toPixels(width.toDouble()));
        QCOMPARE(m_window->ListView1()->columnWidth(1), m_window->toPixels(date.toDouble()));
    }

    // Nothing stored: every column shows its header and the texts of a typical row, and the
    // columns together fit the list, with no horizontal scroll bar.
    void firstRunColumnsShowTheirContents()
    {
        const std::string path = m_world->homePath() + "/Links.bdx";
        m_world->store.NewDatabase(m_world->homePath());
        m_world->store.CreateEntry(false, "gopher://gopher.example.org/1/world", 1, "A link of a typical length here",
            "Gopher", "Its description");
        m_world->store.SetDatabasePath(path);
        QVERIFY(SaveDatabase(m_world->store).ok());
        m_world->commandLine = path;
        open();
        ContentsList* list = m_window->ListView1();
        QVERIFY(list->model().rowCount() == 1);
        const QFontMetrics metrics = list->detailsView()->fontMetrics();
        QHeaderView* header = list->detailsView()->header();
        QVERIFY(!list->model().text(0, 1).isEmpty() && !list->model().text(0, 2).isEmpty());
        for (int column = 1; column < 4; ++column) {
            const QString text = list->model().text(0, column);
            QVERIFY2(list->columnWidth(column) > metrics.horizontalAdvance(text) + 4, qPrintable(text));
            QVERIFY(list->columnWidth(column) >= header->sectionSizeHint(column));
        }
        int total = 0;
        for (int column = 0; column < 6; ++column) {
            total += list->columnWidth(column);
        }
        QVERIFY2(total <= list->detailsView()->viewport()->width(),
            qPrintable(QStringLiteral("%1 > %2").arg(total).arg(list->detailsView()->viewport()->width())));
        QVERIFY(!list->detailsView()->horizontalScrollBar()->isVisible());
        // Stored widths are honoured as they are, even narrow ones.
        closeWindow();
        m_world->settings->set("Browser", "Column2", "300");
        open();
        QCOMPARE(m_window->ListView1()->columnWidth(1), m_window->toPixels(300));
    }

    // The window cannot be shrunk until a pane disappears.
    void theWindowKeepsASensibleMinimumSize()
    {
        open();
        m_window->resize(100, 100);
        QVERIFY(m_window->width() >= 400 && m_window->height() >= 300);
        QVERIFY(m_window->ListView1()->width() >= 100 && m_window->TreeView1()->width() >= 50);
    }

    // A position stored on a larger screen is pulled onto this one, and the size shrunk to
    // it; a place on the screen is kept to the twip.
    void restoredPlacesStayOnTheScreen()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        auto storePlace = [this](int left, int top, int width, int height) {
            m_world->settings->set("Browser", "Left", std::to_string(left));
            m_world->settings->set("Browser", "Top", std::to_string(top));
            m_world->settings->set("Browser", "Width", std::to_string(width));
            m_world->settings->set("Browser", "Height", std::to_string(height));
        };
        auto waitTicks = [this] {
            QSignalSpy tick(m_window->findChild<QTimer*>(QStringLiteral("SizeTimer")), &QTimer::timeout);
            QVERIFY(tick.wait());
            QVERIFY(tick.wait());
        };
        // Off the right and the bottom.
        open();
        const int twips = static_cast<int>(std::lround(m_window->toTwips(1)));
        closeWindow();
        storePlace((area.right() - 100) * twips, (area.bottom() - 50) * twips, 9855, 5865);
        open();
        waitTicks();
        QVERIFY2(area.contains(m_window->frameGeometry()),
            qPrintable(QStringLiteral("%1,%2").arg(m_window->x()).arg(m_window->y())));
        QCOMPARE(m_window->size(), QSize(m_window->toPixels(9855), m_window->toPixels(5865)));
        closeWindow();
        QVERIFY(storedValue(*m_world, "Left").toInt() < (area.right() - 100) * twips);

        // Larger than the screen, above and left of it.
        storePlace(-3000, -3000, (area.width() + 300) * twips, (area.height() + 300) * twips);
        open();
        waitTicks();
        QVERIFY(area.contains(m_window->frameGeometry()));
        QVERIFY(m_window->width() <= area.width() && m_window->height() <= area.height());
        closeWindow();

        // Within the screen: stored back exactly as it was.
        storePlace(1507, 1493, 9857, 5863);
        open();
        waitTicks();
        closeWindow();
        QCOMPARE(storedValue(*m_world, "Left"), QStringLiteral("1507"));
        QCOMPARE(storedValue(*m_world, "Top"), QStringLiteral("1493"));
        QCOMPARE(storedValue(*m_world, "Width"), QStringLiteral("9857"));
        QCOMPARE(storedValue(*m_world, "Height"), QStringLiteral("5863"));
    }

    // Closing writes every setting in one go, not with a write of the file per value.
    void exitWritesTheSettingsInOneBatch()
    {
        CountingSettings counting(*m_world->settings);
        const Services services = m_world->services();
        open(Services { services.store, services.platform, counting, services.fileDialogs, services.programDir,
            services.commandLine, services.newDatabase, services.trayAvailable });
        m_window->SetViewMode(0);
        counting.lone = 0;
        counting.batches = 0;
        closeWindow();
        QCOMPARE(counting.lone, 0);
        QCOMPARE(counting.batches, 1);
        QCOMPARE(storedValue(*m_world, "ListViewMode"), QStringLiteral("0"));
        QCOMPARE(storedValue(*m_world, "PaneMode"), QStringLiteral("False"));
    }

    void cancelInTheSavePromptKeepsTheWindowAndWritesNothing()
    {
        open();
        m_window->SetViewMode(0);
        m_world->fakes.messages.answerNext(Answer::Cancel);
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        const auto& box = m_world->fakes.messages.shown.front();
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Save Database ?"));
        QCOMPARE(QString::fromStdString(box.text), QStringLiteral("Do you wish to save the current database ?"));
        QVERIFY(box.icon == MessageIcon::Question && box.buttons == MessageButtons::YesNoCancel);
        QCOMPARE(storedValue(*m_world, "ListViewMode"), QStringLiteral("<none>"));
    }

    void autoSaveOfANewDatabaseWhoseSaveAsIsCancelledKeepsTheWindow()
    {
        m_world->settings->set("Browser", "AutoSave", "1");
        open();
        QVERIFY(!m_window->close());  // the save dialog is cancelled
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(m_world->fileDialogs.asked.size(), size_t(1));
        QCOMPARE(storedValue(*m_world, "ListViewMode"), QStringLiteral("<none>"));

        const std::string path = m_world->homePath() + "/Mine.bdx";
        m_world->fileDialogs.answerNext(path);
        QVERIFY(m_window->close());
        QVERIFY(QFile::exists(QString::fromStdString(path)));
        QCOMPARE(storedValue(*m_world, "LastDB"), QString::fromStdString(path));
    }

    void storedValuesAreSanitisedAtStart()
    {
        struct Row
        {
            const char* key;
            const char* stored;
            const char* afterExit;
        };
        const Row rows[] = {
            { "TrayFlag", "7", "0" },
            { "AutoSave", "5", "0" },
            { "AutoAssign", "abc", "0" },
            { "Column1", "0.25", "1" },
        };
        for (const Row& row : rows) {
            m_world->settings->set("Browser", row.key, row.stored);
        }
        m_world->settings->set("Browser", "StartMin", "1");  // needs TrayFlag 1 as well
        open();
        QVERIFY(m_window->isVisible() && !m_window->isMinimized());
        QCOMPARE(m_window->TrayFlag(), 0);
        QCOMPARE(storedValue(*m_world, "AutoAssign"), QStringLiteral("0"));  // repaired at once
        m_world->fakes.messages.answerNext(Answer::No);  // AutoSave 0 again: the prompt comes
        QVERIFY(m_window->close());
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        m_window.reset();
        for (const Row& row : rows) {
            QCOMPARE(storedValue(*m_world, row.key), QString::fromLatin1(row.afterExit));
        }
    }

    void databaseNamedAtStartIsOpenedAndAMissingOneIsReported()
    {
        const std::string path = m_world->homePath() + "/Links.bdx";
        m_world->store.NewDatabase(m_world->homePath());
        m_world->store.CreateEntry(true, "", 6, "Saved Folder", "", "");
        m_world->store.SetDatabasePath(path);
        QVERIFY(SaveDatabase(m_world->store).ok());

        m_world->commandLine = path;
        open();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(m_window->TreeView1()->topLevelItem(0)->childCount(), 1);
        QCOMPARE(m_window->TreeView1()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Saved Folder"));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("1 object(s)"));
        m_world->fakes.messages.answerNext(Answer::No);
        QVERIFY(m_window->close());
        m_window.reset();

        m_world->commandLine.clear();
        m_world->settings->set("Browser", "LastDB", m_world->homePath() + "/Gone.bdx");
        open();
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(2));
        QVERIFY(QString::fromStdString(m_world->fakes.messages.shown.back().text).contains(QStringLiteral("Error")));
    }

    void viewButtonsStayPressedWhenClickedAgain()
    {
        open();
        QSignalSpy resets(&m_window->ListView1()->model(), &QAbstractItemModel::modelReset);
        m_window->toolbarButton(17)->trigger();
        QVERIFY(m_window->toolbarButton(17)->isChecked());
        QCOMPARE(m_window->ListView1()->viewMode(), 3);
        m_window->toolbarButton(14)->trigger();
        m_window->toolbarButton(14)->trigger();
        QVERIFY(m_window->toolbarButton(14)->isChecked());
        QCOMPARE(m_window->ListView1()->viewMode(), 0);
        for (int mode = 0; mode < 4; ++mode) {
            QCOMPARE(action(QStringLiteral("mnuView2_%1").arg(mode))->isChecked(), mode == 0);
            QCOMPARE(action(QStringLiteral("mnuView_%1").arg(mode))->isChecked(), mode == 0);
            QCOMPARE(m_window->toolbarButton(14 + mode)->isChecked(), mode == 0);
        }
        // Choosing the shown mode from the menu leaves it checked.
        action("mnuView2_0")->trigger();
        QVERIFY(action("mnuView2_0")->isChecked());
        QCOMPARE(resets.count(), 0);
    }

    void singlePaneAndTheBarsToggle()
    {
        open();
        const int treeWidth = m_window->TreeView1()->width();
        action("mnuView1_2")->trigger();
        QVERIFY(m_window->PaneMode());
        QVERIFY(!m_window->TreeView1()->isVisible());
        QVERIFY(m_window->splitter() == nullptr);
        action("mnuView1_2")->trigger();
        QVERIFY(!m_window->PaneMode());
        QVERIFY(m_window->TreeView1()->isVisible());
        QVERIFY(m_window->splitter() != nullptr);
        QTRY_COMPARE(m_window->TreeView1()->width(), treeWidth);

        action("mnuView1_0")->trigger();
        QVERIFY(!m_window->Toolbar1()->isVisible() && !action("mnuView1_0")->isChecked());
        action("mnuView1_0")->trigger();
        QVERIFY(m_window->Toolbar1()->isVisible());
        action("mnuView1_1")->trigger();
        QVERIFY(!m_window->statusBar()->isVisible());
        action("mnuView1_1")->trigger();
        QVERIFY(m_window->statusBar()->isVisible());

        m_window->setIncludeDesc(1);
        QVERIFY(m_window->SSPanel1()->isVisible() && m_window->SSPanel2()->isVisible());
        action("mnuView1_2")->trigger();
        QVERIFY(!m_window->SSPanel1()->isVisible() && m_window->SSPanel2()->isVisible());
    }

    void keysTriggerTheirCommandsOnceConnected()
    {
        open();
        struct Row
        {
            int key;
            Qt::KeyboardModifiers modifiers;
            Command command;
        };
        const Row rows[] = {
            { Qt::Key_F2, Qt::NoModifier, Command::Rename },
            { Qt::Key_Delete, Qt::NoModifier, Command::Delete },
            { Qt::Key_X, Qt::ControlModifier, Command::Cut },
            { Qt::Key_C, Qt::ControlModifier, Command::Copy },
            { Qt::Key_V, Qt::ControlModifier, Command::Paste },
            { Qt::Key_Return, Qt::AltModifier, Command::Properties },
        };
        // F3 and Ctrl+G are connected from the start by the find controller (the go-to
        // dialog is modal); FindDialogsTest::keysOpenFindAndGoTo drives those two keys.
        QWidget* tree = m_window->TreeView1();
        for (const Row& row : rows) {
            // Only the dispatch is tested here: handlers a controller connected are taken off
            // (and the command disabled again) first.
            QObject::disconnect(m_window->action(row.command), &QAction::triggered, nullptr, nullptr);
            m_window->action(row.command)->setEnabled(false);
        }
        for (const Row& row : rows) {
            int calls = 0;
            QTest::keyClick(tree, static_cast<Qt::Key>(row.key), row.modifiers);  // not connected: nothing
            m_window->commands().connect(row.command, [&calls] { ++calls; });
            QTest::keyClick(tree, static_cast<Qt::Key>(row.key), row.modifiers);
            QVERIFY2(calls == 1, CommandTable::name(row.command));
        }
        // A toolbar button follows its menu twin.
        QVERIFY(m_window->toolbarButton(5)->isEnabled());
        m_window->commands().setEnabled(Command::Cut, false);
        QVERIFY(!m_window->toolbarButton(5)->isEnabled());
    }

private:
    QAction* action(const char* name) const { return m_window->action(QString::fromLatin1(name)); }
    QAction* action(const QString& name) const { return m_window->action(name); }
};

QTEST_MAIN(frmTarnwellTest)
#include "frmTarnwellTest.moc"
