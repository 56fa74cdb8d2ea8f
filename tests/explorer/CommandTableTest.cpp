#include <set>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>

#include "explorer/CommandTable.h"

using namespace brindlex;

namespace {

// A menu's items one a line: objectName (or "-" for a separator), submenus indented.
QString layoutOf(const QMenu& menu, const QString& indent = QString())
{
    QString out;
    for (const QAction* item : menu.actions()) {
        out += indent + (item->isSeparator() ? QStringLiteral("-") : item->objectName()) + QLatin1Char('\n');
        if (item->menu() != nullptr) {
            out += layoutOf(*item->menu(), indent + QStringLiteral("  "));
        }
    }
    return out;
}

}  // namespace

// The command table on its own: names, followers, the menus and the toolbar it builds.
class CommandTableTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyCommandHasItsOwnNamedActionThatStartsDisabled()
    {
        QWidget owner;
        CommandTable commands(owner);
        std::set<QString> names;
        for (int n = 0; n < CommandCount; ++n) {
            const auto id = static_cast<Command>(n);
            QAction* action = commands.action(id);
            QVERIFY(action != nullptr);
            QCOMPARE(action->objectName(), QString::fromLatin1(CommandTable::name(id)));
            QCOMPARE(commands.find(action->objectName()), action);
            QVERIFY2(names.insert(action->objectName()).second, CommandTable::name(id));
        }
        QCOMPARE(commands.find(QStringLiteral("mnuNoSuchThing")), nullptr);
        QVERIFY(!commands.action(Command::Cut)->isEnabled());
        QVERIFY(commands.action(Command::ImportMenu)->isEnabled());  // a submenu holder
        QVERIFY(commands.action(Command::Back)->isEnabled());
        QVERIFY(commands.action(Command::Details)->isChecked());
        QCOMPARE(commands.action(Command::ClientButton)->toolTip(), QStringLiteral("Netscape Navigator"));
        QCOMPARE(commands.action(Command::UndoButton)->toolTip(), QStringLiteral("Undo"));
    }

    void followersRunTheirLeaderAndShareItsEnabledState()
    {
        QWidget owner;
        CommandTable commands(owner);
        int cuts = 0;
        QVERIFY(!commands.action(Command::TreeCut)->isEnabled());
        QVERIFY(!commands.run(Command::Cut));
        commands.connect(Command::Cut, [&cuts] { ++cuts; });
        for (const Command follower : { Command::ListCut, Command::TreeCut, Command::CutButton }) {
            QVERIFY(commands.action(follower)->isEnabled());
            commands.action(follower)->trigger();
        }
        QCOMPARE(cuts, 3);
        commands.setEnabled(Command::Cut, false);
        QVERIFY(!commands.action(Command::ListCut)->isEnabled() && !commands.action(Command::CutButton)->isEnabled());
        // Run reaches the handler of a disabled command; a command nobody connected stays off.
        QVERIFY(commands.run(Command::Cut));
        QCOMPARE(cuts, 4);
        commands.setEnabled(Command::Copy, true);
        QVERIFY(!commands.action(Command::Copy)->isEnabled());
    }

    void menusPopupsAndToolbarAreBuiltInTheirOrder()
    {
        QWidget owner;
        CommandTable commands(owner);
        QMenuBar bar;
        const std::vector<QMenu*> menus = commands.buildMenuBar(bar);
        QCOMPARE(menus.size(), 5u);
        QCOMPARE(menus[0]->objectName(), QStringLiteral("mnuFile"));
        QCOMPARE(menus[0]->title(), QStringLiteral("&File"));
        QCOMPARE(layoutOf(*menus[0]),
            QStringLiteral("mnuNewFile\nmnuOpenFile\nmnuSaveFile\nmnuSaveFileAs\n-\nmnuPost\nmnuGet\n-\n"
                           "mnuImport\n  mnuImpBDX\n  mnuImpNetscape\n  mnuImpIexplore\n  mnuImpMosaic\n"
                           "  mnuImpSpyglass\n  mnuImpSpry\n  -\n  mnuImpHTML\n  -\n  mnuImpFirefox\n  mnuImpChromium\n"
                           "mnuExport\n  mnuExpIExplore\n  mnuExpAs\n-\nmnuNewFldr\nmnuNewEntry\n-\n"
                           "mnuDel\nmnuRename\nmnuProp1\n-\nmnuClose1\n"));
        QCOMPARE(layoutOf(*menus[2]),
            QStringLiteral("mnuView1_0\nmnuView1_1\nmnuView1_2\n-\nmnuView2_0\nmnuView2_1\nmnuView2_2\nmnuView2_3\n-\n"
                           "mnuView3\n  mnuView5_0\n  mnuView5_1\n  mnuView5_2\n  mnuView5_3\n  mnuView5_4\n"
                           "  mnuView5_5\n-\nmnuView4_0\nmnuView4_1\n"));
        QCOMPARE(layoutOf(*menus[4]), QStringLiteral("mnuHelpCon\n-\nmnuAbout\n"));
        QCOMPARE(
            menus[0]->findChild<QMenu*>(QStringLiteral("mnuImportMenu")), commands.action(Command::ImportMenu)->menu());

        QMenu* popup2 = commands.buildPopup(2);
        QCOMPARE(popup2->objectName(), QStringLiteral("mnuPU2"));
        QCOMPARE(layoutOf(*popup2),
            QStringLiteral("mnuGetUrl\n-\nmnuViewMode\n  mnuView_0\n  mnuView_1\n  mnuView_2\n  mnuView_3\n-\n"
                           "mnuEdit1\n-\nmnuNewFolder\nmnuPUEntry\n"));
        QCOMPARE(layoutOf(*commands.buildPopup(3)),
            QStringLiteral(
                "mnuFind1\n-\nmnuPUEdit_0\nmnuPUEdit_1\nmnuPUEdit_2\n-\nmnuPUEdit1_0\nmnuPUEdit1_1\n-\nmnuPUProp\n"));

        QToolBar toolbar;
        const std::array<QAction*, 24> slots = commands.buildToolbar(toolbar);
        QCOMPARE(slots[0], nullptr);
        QCOMPARE(slots[1], nullptr);
        QString shown;
        for (int index = 2; index <= 23; ++index) {
            QCOMPARE(slots[index]->objectName(), QStringLiteral("Toolbar1_%1").arg(index));
            shown += slots[index]->isSeparator() ? QStringLiteral("-") : slots[index]->toolTip();
            shown += QLatin1Char('|');
        }
        QCOMPARE(shown,
            QStringLiteral("-|Back|-|Cut|Copy|Paste|-|Undo|-|Delete|Properties|-|View Icons|View Small Icons|"
                           "View List|View Details|-|New Folder|-|Get URL from Browser|-|Netscape Navigator|"));
        QCOMPARE(toolbar.actions().size(), 22);
    }
};

QTEST_MAIN(CommandTableTest)
#include "CommandTableTest.moc"
