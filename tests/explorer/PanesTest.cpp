#include <memory>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeView>
#include <QtTest>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "store/Images.h"
#include "store/LinkStore.h"

using namespace brindlex;

// The folder tree, the contents list and the navigation between them, on a small tree:
//   root: Alpha (Child, bravo), "  Beta", links "zeta" and "Echo"
class PanesTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        open();
        LinkStore& store = m_world->store;
        m_alpha = store.CreateEntry(true, "", 6, "Alpha", "", "");
        m_beta = store.CreateEntry(true, "", 6, "  Beta", "", "");
        store.CreateEntry(false, "http://zeta.example/", 5, "zeta", "Http", "last");
        store.CreateEntry(false, "ftp://echo.example/", 5, "Echo", "Ftp", "first");
        store.SetCurrentFolder(*store.FindFolder(m_alpha));
        m_child = store.CreateEntry(true, "", 6, "Child", "", "");
        store.CreateEntry(true, "", 6, "bravo", "", "");
        store.SetCurrentFolder(store.Root());
        m_window->RefreshPanes(true);
    }
    void cleanup() { close(); }

    void treeShowsFoldersSortedWithTrimmedNamesAndPaths()
    {
        QTreeWidgetItem* root = m_window->TreeView1()->topLevelItem(0);
        const QString rootText = root->text(0);
        QCOMPARE(root->childCount(), 2);
        QCOMPARE(root->child(0)->text(0), QStringLiteral("Alpha"));
        QCOMPARE(root->child(1)->text(0), QStringLiteral("Beta"));
        QTreeWidgetItem* alpha = root->child(0);
        QCOMPARE(alpha->child(0)->text(0), QStringLiteral("bravo"));  // without regard to case
        QCOMPARE(alpha->child(1)->text(0), QStringLiteral("Child"));
        QCOMPARE(QString::fromStdString(m_world->store.FindFolder(m_child)->Path), rootText + "\\Alpha\\Child");
        QCOMPARE(FolderTree::image(root), 8);
        QCOMPARE(m_window->SSPanel1()->text(), QStringLiteral(" All Folders"));
        QCOMPARE(m_window->SSPanel2()->text(), " Contents of '" + rootText + "'");
    }

    void foldersWhoseParentIsMissingOrLoopsAreShownUnderTheRoot()
    {
        LinkStore& store = m_world->store;
        store.AddLoadedFolder("Late child", "late-child", "late-parent", {}, "");
        store.AddLoadedFolder("Late parent", "late-parent", "RootFolder", {}, "");
        store.AddLoadedFolder("Loop A", "loop-a", "loop-b", {}, "");
        store.AddLoadedFolder("Loop B", "loop-b", "loop-a", {}, "");
        store.AddLoadedFolder("Lost", "lost", "no-such-folder", {}, "");
        m_window->BuildTree();
        FolderTree* tree = m_window->TreeView1();
        QCOMPARE(tree->nodeByKey("late-child")->parent(), tree->nodeByKey("late-parent"));
        QCOMPARE(tree->nodeByKey("lost")->parent(), tree->topLevelItem(0));
        // One of the loop is attached to the root, the other below it.
        QTreeWidgetItem* a = tree->nodeByKey("loop-a");
        QTreeWidgetItem* b = tree->nodeByKey("loop-b");
        QVERIFY(a && b);
        QVERIFY(a->parent() == tree->topLevelItem(0) || b->parent() == tree->topLevelItem(0));
    }

    void listRowsCarryTheColumnsAndSortByName()
    {
        ContentsModel& model = m_window->ListView1()->model();
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("4 object(s)"));
        m_window->ArrangeBy(0);
        QCOMPARE(model.text(0, 0), QStringLiteral(" Alpha"));
        QCOMPARE(model.text(1, 0), QStringLiteral(" Beta"));
        QCOMPARE(model.text(2, 0), QStringLiteral("Echo"));
        QCOMPARE(model.text(3, 0), QStringLiteral("zeta"));
        QCOMPARE(model.text(0, 2), QStringLiteral("Folder"));
        QCOMPARE(model.text(0, 4), QString());
        QCOMPARE(model.text(3, 4), QStringLiteral("http://zeta.example/"));
        QCOMPARE(model.text(3, 3), QStringLiteral("None"));
        QCOMPARE(model.text(0, 6), QString::fromStdString(m_alpha));
        QCOMPARE(model.row(0).Icon, 6);
        QVERIFY(m_window->ListView1()->detailsView()->isColumnHidden(ContentsModel::IdColumn));
    }

    void clickingAColumnHeaderArrangesByIt()
    {
        QHeaderView* header = m_window->ListView1()->header();
        ContentsModel& model = m_window->ListView1()->model();
        for (int column = 0; column < 6; ++column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                QPoint(
                    header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
            for (int item = 0; item < 6; ++item) {
                QCOMPARE(m_window->action(QStringLiteral("mnuView5_%1").arg(item))->isChecked(), item == column);
            }
            QCOMPARE(m_window->ListSort(), column);
            for (int row = 1; row < model.rowCount(); ++row) {
                QVERIFY(
                    QString::compare(model.text(row - 1, column), model.text(row, column), Qt::CaseInsensitive) <= 0);
            }
        }
        QCOMPARE(model.text(0, 4), QString());  // folders have no URL
        QCOMPARE(model.text(2, 4), QStringLiteral("ftp://echo.example/"));
    }

    void clickingAFolderNodeShowsItsContents()
    {
        m_window->setDisplayPath(1);
        FolderTree* tree = m_window->TreeView1();
        QTreeWidgetItem* alpha = tree->nodeByKey(QString::fromStdString(m_alpha));
        tree->setFocus();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(alpha).center());
        QCOMPARE(&m_world->store.CurrentFolder(), m_world->store.FindFolder(m_alpha));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("2 object(s)"));
        const QString path = FolderTree::fullPath(alpha);
        QCOMPARE(m_window->windowTitle(), "Brindlex - " + path);
        QCOMPARE(m_window->SSPanel2()->text(), " Contents of '" + path + "'");
        QCOMPARE(FolderTree::image(alpha), 7);
        QCOMPARE(m_window->TreeView3()->topLevelItem(0)->text(0), QStringLiteral("Alpha"));
        QCOMPARE(m_window->TreeView2()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Alpha"));

        // The right button selects a node for its popup but keeps the current folder.
        QTreeWidgetItem* beta = tree->nodeByKey(QString::fromStdString(m_beta));
        QTest::mousePress(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(beta).center());
        QCOMPARE(tree->currentItem(), beta);
        QCOMPARE(&m_world->store.CurrentFolder(), m_world->store.FindFolder(m_alpha));
        QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(beta).center());
        QTRY_VERIFY(m_window->popupMenu(3)->isVisible());
        m_window->popupMenu(3)->hide();
        // A left click on that node, already the tree's current one, shows its folder.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(beta).center());
        QCOMPARE(&m_world->store.CurrentFolder(), m_world->store.FindFolder(m_beta));
        QCOMPARE(m_window->TreeView3()->topLevelItem(0)->text(0), beta->text(0));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("0 object(s)"));
    }

    // The send commands are on exactly while a link row is selected, whatever changed it.
    void sendCommandsFollowTheSelection()
    {
        ContentsList* list = m_window->ListView1();
        QAction* send = action(Command::SendURL);
        const auto linkSelected = [list] {
            const int row = list->currentRow();
            return row >= 0 && list->isRowSelected(row) && list->model().row(row).Icon != Image::Folder;
        };
        const auto follows = [&] {
            return send->isEnabled() == linkSelected() && action(Command::ListSendURL)->isVisible() == linkSelected();
        };
        QTest::keyClick(list->currentView(), Qt::Key_Home);
        QVERIFY(follows());
        int links = 0;
        int folders = 0;
        for (int n = 0; n < list->rowCount(); ++n) {
            (linkSelected() ? links : folders) += 1;
            QVERIFY2(follows(), qPrintable(QString::number(n)));
            QTest::keyClick(list->currentView(), Qt::Key_Down);
        }
        QVERIFY(links == 2 && folders == 2);
        selectRows({ m_alpha });
        QVERIFY(follows() && !send->isEnabled());
        m_window->panes().ShowFolder(*m_world->store.FindFolder(m_alpha));  // folders only
        QVERIFY(follows() && !send->isEnabled());
        m_window->panes().GoBack();
        QVERIFY(follows());
        list->clearSelection();
        QVERIFY(follows() && !send->isEnabled());
    }

    void doubleClickBackAndKeysNavigate()
    {
        m_window->setDisplayPath(1);
        ContentsList* list = m_window->ListView1();
        m_window->ArrangeBy(0);
        list->selectRow(0);  // " Alpha"
        list->setFocus();
        QTreeView* view = list->detailsView();
        const QPoint at = view->visualRect(list->model().index(0, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(&m_world->store.CurrentFolder(), m_world->store.FindFolder(m_alpha));
        QCOMPARE(m_window->selectedNodeKey(), m_alpha);
        QVERIFY(m_window->windowTitle().endsWith(QStringLiteral("\\Alpha")));

        list->selectRow(list->model().findId(QString::fromStdString(m_child)));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(&m_world->store.CurrentFolder(), m_world->store.FindFolder(m_child));
        QVERIFY(m_window->windowTitle().endsWith(QStringLiteral("\\Alpha\\Child")));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("0 object(s)"));

        m_window->toolbarButton(3)->trigger();  // Back
        QCOMPARE(&m_world->store.CurrentFolder(), m_world->store.FindFolder(m_alpha));
        m_window->toolbarButton(3)->trigger();
        QCOMPARE(&m_world->store.CurrentFolder(), &m_world->store.Root());
        m_window->toolbarButton(3)->trigger();  // at the root already
        QCOMPARE(&m_world->store.CurrentFolder(), &m_world->store.Root());

        list->setFocus();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_window->selectedRowIds().size(), size_t(4));
        QTest::keyClick(view, Qt::Key_F6);
        QTRY_COMPARE(m_window->lastFocus(), std::string("TreeView1"));
        QTest::keyClick(m_window->TreeView1(), Qt::Key_F6);
        QTRY_COMPARE(m_window->lastFocus(), std::string("ListView1"));

        m_world->store.CreateEntry(true, "", 6, "Added later", "", "");
        QTest::keyClick(view, Qt::Key_F5);
        QCOMPARE(m_window->TreeView1()->topLevelItem(0)->childCount(), 3);
        QCOMPARE(list->rowCount(), 5);

        QTest::keyClick(view, Qt::Key_F4);
        QVERIFY(m_window->isDropDownShown());
        QTest::keyClick(m_window->TreeView2(), Qt::Key_F4);
        QVERIFY(!m_window->isDropDownShown());
    }

    void addEntryToPanesAddsOneRowAndOneNode()
    {
        LinkStore& store = m_world->store;
        const std::string iid = store.CreateEntry(true, "", 6, "Aardvark", "", "");
        m_window->AddEntryToPanes(*store.CurrentFolder().FolderItems.back());
        QCOMPARE(m_window->ListView1()->rowCount(), 5);
        QTreeWidgetItem* root = m_window->TreeView1()->topLevelItem(0);
        QCOMPARE(FolderTree::key(root->child(0)), QString::fromStdString(iid));
        QCOMPARE(QString::fromStdString(store.FindFolder(iid)->Path), root->text(0) + "\\Aardvark");
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("5 object(s)"));
    }

    void selectingALinkRowSwitchesTheSendCommandsOn()
    {
        m_window->commands().connect(Command::SendURL, [] {});
        ContentsList* list = m_window->ListView1();
        m_window->ArrangeBy(0);
        QTreeView* view = list->detailsView();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, view->visualRect(list->model().index(3, 0)).center());
        QVERIFY(m_window->action(QStringLiteral("mnuPost"))->isEnabled());
        QVERIFY(m_window->toolbarButton(23)->isEnabled());
        QVERIFY(m_window->action(QStringLiteral("mnuSt"))->isVisible());
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, view->visualRect(list->model().index(0, 0)).center());
        QVERIFY(!m_window->action(QStringLiteral("mnuPost"))->isEnabled());
        QVERIFY(!m_window->toolbarButton(23)->isEnabled());
        QVERIFY(!m_window->action(QStringLiteral("mnuSt"))->isVisible());
    }

private:
    std::string m_alpha;
    std::string m_beta;
    std::string m_child;
};

QTEST_MAIN(PanesTest)
#include "PanesTest.moc"
