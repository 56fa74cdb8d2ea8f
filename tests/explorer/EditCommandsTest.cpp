#include <algorithm>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "fakes/StoreHelpers.h"
#include "store/Editing.h"
#include "store/Folder.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"

using namespace brindlex;
using test::whenModal;

namespace {

template <class T> T* child(QWidget* dialog, const char* name)
{
    T* found = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!found) {
        qFatal("no %s in %s", name, qPrintable(dialog->objectName()));
    }
    return found;
}

void click(QWidget* dialog, const char* button)
{
    child<QPushButton>(dialog, button)->click();
}

}  // namespace

// The Edit commands on the real window, over the tree of buildEditTree().
class EditCommandsTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        open();
        auto ids = buildEditTree();
        m_docs = ids["Docs"];
        m_news = ids["News"];
        m_sub = ids["Sub"];
        m_deep = ids["Deep"];
        m_a = ids["A"];
        m_b = ids["B"];
        m_c = ids["C"];
        m_world->fakes.clipboard.contents = "before";
    }
    void cleanup() { close(); }

    void editCommandsAreConnected()
    {
        for (const char* name :
            { "mnuNewFldr", "mnuNewEntry", "mnuRename", "mnuDel", "mnuProp1", "mnuSelAll", "mnuInvert", "mnuEd_0",
                "mnuEd_1", "mnuEd_2", "mnuEdit_3", "mnuPUEdit1_1", "mnuEdit1", "mnuPUEdit_2" }) {
            QVERIFY2(action(name)->isEnabled(), name);
        }
        for (int button : { 5, 6, 7, 11, 12, 19 }) {
            QVERIFY(m_window->toolbarButton(button)->isEnabled());
        }
    }

    void newFolderIsRenamedInPlaceKeepingTheLeadingBlankOfFolderEntries_data()
    {
        QTest::addColumn<int>("viewMode");
        QTest::newRow("details") << 3;
        QTest::newRow("large icons") << 0;
    }
    void newFolderIsRenamedInPlaceKeepingTheLeadingBlankOfFolderEntries()
    {
        QFETCH(int, viewMode);
        m_window->SetViewMode(viewMode);
        const size_t before = root().FolderItems.size();
        m_window->toolbarButton(19)->trigger();
        QCOMPARE(root().FolderItems.size(), before + 1);
        const std::string id = root().FolderItems.back()->IID;
        QCOMPARE(m_window->ListView1()->selectedIds(), std::vector<std::string> { id });
        QLineEdit* editor = listEditor();
        QVERIFY(editor);
        editor->setText(QStringLiteral("  Fresh  "));
        QTest::keyClick(editor, Qt::Key_Return);

        QTRY_COMPARE(root().FolderItems.back()->Caption, std::string(" Fresh"));
        QCOMPARE(m_world->store.FindFolder(id)->Caption, std::string("Fresh"));
        // The Enter that ended the edit did not also open the row.
        QCOMPARE(m_world->store.CurrentFolder().id, std::string(RootFolderId));
        QCOMPARE(rowText(id), QStringLiteral(" Fresh"));
        QTreeWidgetItem* node = tree()->nodeByKey(QString::fromStdString(id));
        QVERIFY(node);
        QCOMPARE(node->text(0), QStringLiteral("Fresh"));
    }

    void renamingALinkFromTheListWithF2()
    {
        focusList();
        selectRows({ m_b });
        QTest::keyClick(m_window->ListView1()->detailsView(), Qt::Key_F2);
        QLineEdit* editor = listEditor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("B"));
        editor->setText(QStringLiteral(" Say \"hi\" "));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(item(root(), m_b)->Caption, std::string("Say 'hi'"));
        QCOMPARE(rowText(m_b), QStringLiteral("Say 'hi'"));
    }

    void popupRenameStartsAfterItsTimer()
    {
        focusList();
        selectRows({ m_c });
        action("mnuEdit_3")->trigger();
        QTimer* timer = m_window->findChild<QTimer*>(QStringLiteral("tmrLabelEdit"));
        QVERIFY(timer && timer->isActive());
        QTRY_VERIFY(listEditor() != nullptr);
        QVERIFY(!timer->isActive());
        listEditor()->setText(QStringLiteral("Sea"));
        QTest::keyClick(listEditor(), Qt::Key_Return);
        QTRY_COMPARE(item(root(), m_c)->Caption, std::string("Sea"));

        m_window->setLastFocus("TreeView1");
        selectNode(m_news);
        action("mnuPUEdit1_1")->trigger();
        QVERIFY(m_window->findChild<QTimer*>(QStringLiteral("tmrTreeLabelEdit"))->isActive());
        QTRY_VERIFY(treeEditor() != nullptr);
        treeEditor()->setText(QStringLiteral("Olds"));
        QTest::keyClick(treeEditor(), Qt::Key_Return);
        QTRY_COMPARE(m_world->store.FindFolder(m_news)->Caption, std::string("Olds"));
    }

    void renamingAFolderNodeInTheTreeRenamesItsEntryAndPaths()
    {
        m_window->setDisplayPath(1);
        enter(m_docs);
        m_window->RefreshPanes(true);
        focusTree();
        QTest::keyClick(tree(), Qt::Key_F2);
        QLineEdit* editor = treeEditor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("Docs"));
        editor->setText(QStringLiteral("My \"Docs\""));
        QTest::keyClick(editor, Qt::Key_Return);

        LinkStore& store = m_world->store;
        QTRY_COMPARE(store.FindFolder(m_docs)->Caption, std::string("My 'Docs'"));
        QCOMPARE(item(root(), m_docs)->Caption, std::string("My 'Docs'"));
        QTreeWidgetItem* node = tree()->nodeByKey(QString::fromStdString(m_docs));
        QCOMPARE(node->text(0), QStringLiteral("My 'Docs'"));
        const QString rootText = QString::fromStdString(root().Caption);
        QCOMPARE(m_window->windowTitle(), "Brindlex - " + rootText + "\\My 'Docs'");
        QCOMPARE(m_window->SSPanel2()->text(), " Contents of '" + rootText + "\\My 'Docs''");
        // The folders below carry the new path, for Go To Folder.
        QCOMPARE(QString::fromStdString(store.FindFolder(m_deep)->Path), rootText + "\\My 'Docs'\\Sub\\Deep");
        QCOMPARE(m_window->ListView1()->rowCount(), 2);  // Docs' own contents
        QCOMPARE(m_window->TreeView3()->topLevelItem(0)->text(0), QStringLiteral("My 'Docs'"));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("2 object(s)"));
    }

    void cancelledTreeEditsChangeNothing_data()
    {
        QTest::addColumn<bool>("onRoot");
        QTest::newRow("folder") << false;
        QTest::newRow("root") << true;
    }
    void cancelledTreeEditsChangeNothing()
    {
        QFETCH(bool, onRoot);
        const std::string key = onRoot ? std::string(RootFolderId) : m_news;
        const std::string tree0 = test::describe(m_world->store);
        const std::string rootCaption = root().Caption;
        selectNode(key);
        focusTree();
        action("mnuRename")->trigger();
        QLineEdit* editor = treeEditor();
        QVERIFY(editor);
        editor->setText(QStringLiteral("Never"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(treeEditor() == nullptr);
        QCOMPARE(test::describe(m_world->store), tree0);
        QCOMPARE(root().Caption, rootCaption);
        QVERIFY(tree()->nodeByKey(QString::fromStdString(key))->text(0) != QStringLiteral("Never"));
    }

    void renamingTheRootRenamesTheDatabaseCaption()
    {
        selectNode(RootFolderId);
        focusTree();
        QTest::keyClick(tree(), Qt::Key_F2);
        QVERIFY(treeEditor());
        treeEditor()->setText(QStringLiteral("Links"));
        QTest::keyClick(treeEditor(), Qt::Key_Return);
        QTRY_COMPARE(root().Caption, std::string("Links"));
        QCOMPARE(tree()->topLevelItem(0)->text(0), QStringLiteral("Links"));
        QCOMPARE(m_window->TreeView3()->topLevelItem(0)->text(0), QStringLiteral("Links"));
        QCOMPARE(QString::fromStdString(m_world->store.FindFolder(m_sub)->Path), QStringLiteral("Links\\Docs\\Sub"));
    }

    void deleteWithNothingToDeleteBeepsOrRefuses()
    {
        bool asked = false;
        QTimer* watch = whenModal([&asked](QWidget* dialog) {
            asked = true;
            dialog->close();
        });
        focusList();
        m_window->ListView1()->clearSelection();
        action("mnuDel")->trigger();
        QCOMPARE(m_world->fakes.messages.beeps, 1);
        QVERIFY(m_world->fakes.messages.shown.empty());

        selectNode(RootFolderId);
        m_window->setLastFocus("TreeView1");
        action("mnuDel")->trigger();
        QCOMPARE(m_world->fakes.messages.beeps, 2);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        const test::ShownMessage& shown = m_world->fakes.messages.shown[0];
        QCOMPARE(shown.title, std::string("Error Deleting File"));
        QCOMPARE(shown.text, std::string("You cannot delete the Root Folder."));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        // A confirmation would have been shown modally inside trigger(), and the watch
        // would have closed it there; nothing deferred may show one either.
        QCoreApplication::processEvents();
        delete watch;
        QVERIFY(!asked);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void deleteAsksAndFollowsTheAnswer_data()
    {
        QTest::addColumn<QString>("answer");  // "Yes", "No" or "close"
        QTest::addColumn<bool>("threeRows");
        QTest::newRow("three yes") << "Yes" << true;
        QTest::newRow("one no") << "No" << false;
        QTest::newRow("one closed") << "close" << false;
        QTest::newRow("three closed") << "close" << true;
    }
    void deleteAsksAndFollowsTheAnswer()
    {
        QFETCH(QString, answer);
        QFETCH(bool, threeRows);
        const std::string before = test::describe(m_world->store);
        focusList();
        selectRows(threeRows ? std::vector<std::string> { m_a, m_b, m_c } : std::vector<std::string> { m_a });
        QString question;
        QString title;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            question = child<QLabel>(dialog, "Label1")->text();
            if (answer == QLatin1String("close")) {
                dialog->close();
            } else {
                click(dialog, answer == QLatin1String("Yes") ? "cmdYes" : "cmdNo");
            }
        });
        action("mnuDel")->trigger();
        QCOMPARE(title, QStringLiteral("Confirm Item Delete"));
        QCOMPARE(question,
            threeRows ? QStringLiteral("Are you sure you want to delete these 3 items ?")
                      : QStringLiteral("Are you sure you want to delete 'A' ?"));
        // The answer comes back directly: the system clipboard is the user's.
        QCOMPARE(m_world->fakes.clipboard.contents, std::string("before"));
        if (answer == QLatin1String("Yes")) {
            QCOMPARE(root().FolderItems.size(), size_t(2));
            QCOMPARE(m_window->ListView1()->rowCount(), 2);
        } else {
            QCOMPARE(test::describe(m_world->store), before);
            QCOMPARE(m_window->ListView1()->rowCount(), 5);
        }
    }

    void deletingAFolderRemovesItsSubtreeFromTheTree()
    {
        focusList();
        selectRows({ m_docs });
        whenModal([](QWidget* dialog) { click(dialog, "cmdYes"); });
        action("mnuDel")->trigger();
        LinkStore& store = m_world->store;
        for (const std::string& gone : { m_docs, m_sub, m_deep }) {
            QVERIFY(store.FindFolder(gone) == nullptr);
            QVERIFY(tree()->nodeByKey(QString::fromStdString(gone)) == nullptr);
        }
        QVERIFY(tree()->nodeByKey(QString::fromStdString(m_news)));

        // From the tree: the parent becomes the current folder.
        enter(m_news);
        const std::string inNews = store.CreateEntry(true, "", 6, "Inner", "Folder", "");
        m_window->RefreshPanes(true);
        selectNode(inNews);
        m_window->setLastFocus("TreeView1");
        QString question;
        whenModal([&question](QWidget* dialog) {
            question = child<QLabel>(dialog, "Label1")->text();
            click(dialog, "cmdYes");
        });
        action("mnuPUEdit1_0")->trigger();
        QCOMPARE(question, QStringLiteral("Are you sure you want to delete 'Inner' ?"));
        QVERIFY(store.FindFolder(inNews) == nullptr);
        QCOMPARE(store.CurrentFolder().id, m_news);
    }

    void newEntryChecksTheUrlBeforeTheName()
    {
        std::vector<std::string> titles;
        bool stayedOpen = false;
        whenModal([&](QWidget* dialog) {
            auto& messages = m_world->fakes.messages;
            child<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Named"));
            click(dialog, "cmdOK");
            child<QLineEdit>(dialog, "txtName")->clear();
            child<QLineEdit>(dialog, "txtURL")->setText(QStringLiteral("http://new.example/"));
            click(dialog, "cmdOK");
            for (const auto& shown : messages.shown) {
                titles.push_back(shown.title + "|" + shown.text);
            }
            stayedOpen = dialog->isVisible();
            child<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Named"));
            child<QLineEdit>(dialog, "txtDesc")->setText(QStringLiteral("said"));
            click(dialog, "cmdOK");
        });
        action("mnuNewEntry")->trigger();
        QCOMPARE(titles, (std::vector<std::string> { "No URL|You must enter a URL", "No Name|You must enter a Name" }));
        QVERIFY(stayedOpen);
        const FolderItem& made = *root().FolderItems.back();
        QCOMPARE(made.Caption, std::string("Named"));
        QCOMPARE(made.URL, std::string("http://new.example/"));
        QCOMPARE(made.Description, std::string("said"));
        QVERIFY(m_window->ListView1()->model().findId(QString::fromStdString(made.IID)) >= 0);
    }

    void newEntryCancelledMakesNothing()
    {
        const size_t before = root().FolderItems.size();
        whenModal([](QWidget* dialog) {
            child<QLineEdit>(dialog, "txtURL")->setText(QStringLiteral("http://x/"));
            click(dialog, "cmdCancel");
        });
        action("mnuPUEntry")->trigger();
        QCOMPARE(root().FolderItems.size(), before);
    }

    void propertiesOfALinkChangeItsClientAndIcon()
    {
        focusList();
        selectRows({ m_a });
        bool clientEnabled = false;
        QString title;
        QString url;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            url = child<QLineEdit>(dialog, "txtURL")->text();
            auto* client = child<QComboBox>(dialog, "Combo2");
            clientEnabled = client->isEnabled();
            client->setCurrentIndex(2);  // MS Internet Explorer
            child<QLineEdit>(dialog, "txtDesc")->setText(QStringLiteral("a \"quoted\" note"));
            click(dialog, "cmdOK");
        });
        action("mnuProp1")->trigger();
        QCOMPARE(title, QStringLiteral("Brindlex Item Properties"));
        QCOMPARE(url, QStringLiteral("http://a.example/"));
        QVERIFY(clientEnabled);
        const FolderItem* a = item(root(), m_a);
        QCOMPARE(a->Client, std::string("Iexplore"));
        QCOMPARE(a->Icon, 11);
        QCOMPARE(a->Description, std::string("a 'quoted' note"));
        const ContentsModel& rows = m_window->ListView1()->model();
        const int row = rows.findId(QString::fromStdString(m_a));
        QCOMPARE(rows.row(row).Icon, 11);
        QCOMPARE(rows.text(row, 3), QStringLiteral("Iexplore"));
        QCOMPARE(m_window->ListView1()->selectedIds(), std::vector<std::string> { m_a });
    }

    void propertiesOfFoldersInTheListAndTheTree()
    {
        focusList();
        selectRows({ m_news });
        bool clientEnabled = true;
        whenModal([&](QWidget* dialog) {
            clientEnabled = child<QComboBox>(dialog, "Combo2")->isEnabled();
            child<QLineEdit>(dialog, "txtCaption")->setText(QStringLiteral("Headlines"));
            child<QLineEdit>(dialog, "txtDesc")->setText(QStringLiteral("daily"));
            click(dialog, "cmdOK");
        });
        action("mnuProp")->trigger();
        QVERIFY(!clientEnabled);
        LinkStore& store = m_world->store;
        QCOMPARE(store.FindFolder(m_news)->Caption, std::string("Headlines"));
        QCOMPARE(store.FindFolder(m_news)->Description, std::string("daily"));
        QCOMPARE(item(root(), m_news)->URLType, std::string("Folder"));  // no sort prefix stored
        QCOMPARE(tree()->nodeByKey(QString::fromStdString(m_news))->text(0), QStringLiteral("Headlines"));

        selectNode(m_sub);
        m_window->setLastFocus("TreeView1");
        QString caption;
        whenModal([&](QWidget* dialog) {
            clientEnabled = child<QComboBox>(dialog, "Combo2")->isEnabled();
            caption = child<QLineEdit>(dialog, "txtCaption")->text();
            child<QLineEdit>(dialog, "txtDesc")->setText(QStringLiteral("below"));
            click(dialog, "cmdOK");
        });
        action("mnuPUProp")->trigger();
        QCOMPARE(caption, QStringLiteral("Sub"));
        QVERIFY(!clientEnabled);
        QCOMPARE(store.FindFolder(m_sub)->Description, std::string("below"));
        QCOMPARE(item(*store.FindFolder(m_docs), m_sub)->Description, std::string("below"));

        const std::string before = test::describe(store);
        whenModal([](QWidget* dialog) {
            child<QLineEdit>(dialog, "txtCaption")->setText(QStringLiteral("Ignored"));
            click(dialog, "cmdCancel");
        });
        action("mnuPUProp")->trigger();
        QCOMPARE(test::describe(store), before);
    }

    void selectAllAndInvertSelection()
    {
        ContentsList* list = m_window->ListView1();
        action("mnuSelAll")->trigger();
        QCOMPARE(list->selectedIds().size(), size_t(5));
        selectRows({ m_a, m_b });
        action("mnuInvert")->trigger();
        std::vector<std::string> ids = list->selectedIds();
        std::sort(ids.begin(), ids.end());
        std::vector<std::string> expected { m_docs, m_news, m_c };
        std::sort(expected.begin(), expected.end());
        QCOMPARE(ids, expected);
    }

    void copyOfOneLinkPublishesItsUrlAndPasteClearsIt()
    {
        focusList();
        QWidget* view = m_window->ListView1()->detailsView();
        selectRows({ m_a, m_b });
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_world->fakes.clipboard.contents, std::string("before"));
        selectRows({ m_a });
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_world->fakes.clipboard.contents, std::string("http://a.example/"));

        enter(m_news);
        m_window->RefreshPanes(false);
        focusList();
        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_window->ListView1()->rowCount(), 1);
        QCOMPARE(m_window->ListView1()->model().text(0, 0), QStringLiteral("A"));
        QCOMPARE(m_world->fakes.clipboard.contents, std::string());
        QVERIFY(item(root(), m_a));  // a copy leaves the source

        // Nothing is left to paste: the second paste only beeps.
        const int beeps = m_world->fakes.messages.beeps;
        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_world->fakes.messages.beeps, beeps + 1);
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(m_window->ListView1()->rowCount(), 1);
    }

    void cutRowsAreGhostedUntilTheListIsRefilledAndStillMove()
    {
        focusList();
        selectRows({ m_a, m_b });
        action("mnuEdit_0")->trigger();
        const ContentsModel& rows = m_window->ListView1()->model();
        const auto ghosted = [&rows](const std::string& id) {
            const int row = rows.findId(QString::fromStdString(id));
            return rows.data(rows.index(row, 0), Qt::ForegroundRole).isValid();
        };
        QVERIFY(ghosted(m_a) && ghosted(m_b));
        QVERIFY(!ghosted(m_c));

        m_window->RefreshPanes(true);  // F5
        QVERIFY(!ghosted(m_a) && !ghosted(m_b));
        // A refill ends the marks, not the cut: the paste still moves.
        enter(m_news);
        m_window->RefreshPanes(false);
        action("mnuEd_2")->trigger();
        QVERIFY(item(root(), m_a) == nullptr && item(root(), m_b) == nullptr);
        QCOMPARE(m_window->ListView1()->rowCount(), 2);

        // Copy after a refill of a once-cut row copies.
        enter(RootFolderId);
        m_window->RefreshPanes(false);
        focusList();
        selectRows({ m_c });
        action("mnuEd_0")->trigger();
        QVERIFY(ghosted(m_c));
        m_window->FillList();
        selectRows({ m_c });
        action("mnuEd_1")->trigger();
        enter(m_news);
        action("mnuEd_2")->trigger();
        QVERIFY(item(root(), m_c));
    }

    void cutFolderCannotBePastedIntoItselfOrBelow_data()
    {
        QTest::addColumn<QString>("destination");  // "docs" or "deep"
        QTest::addColumn<QString>("message");
        QTest::newRow("itself") << "docs"
                                << "Cannot move DOCS: The destination folder is the same as the source folder.";
        QTest::newRow("below") << "deep"
                               << "Cannot move DOCS: The destination folder is a subfolder of the source folder.";
    }
    void cutFolderCannotBePastedIntoItselfOrBelow()
    {
        QFETCH(QString, destination);
        QFETCH(QString, message);
        LinkStore& store = m_world->store;
        selectNode(m_docs);
        focusTree();
        QTest::keyClick(tree(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(tree()->nodeByKey(QString::fromStdString(m_docs))->data(0, FolderTree::TagRole).toString(),
            QStringLiteral("True"));
        const std::string before = test::describe(store);

        enter(destination == QLatin1String("docs") ? m_docs : m_deep);
        m_window->RefreshPanes(true);
        QVERIFY(m_window->editing().TreeCutMark().empty());  // the rebuilt tree ends the tag
        focusTree();
        QTest::keyClick(tree(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QCOMPARE(m_world->fakes.messages.shown[0].title, std::string("Error Moving File"));
        QCOMPARE(QString::fromStdString(m_world->fakes.messages.shown[0].text), message);
        QCOMPARE(m_world->fakes.messages.shown[0].icon, MessageIcon::Critical);
        QVERIFY(m_world->fakes.messages.beeps >= 1);
        QCOMPARE(test::describe(store), before);
        QVERIFY(!m_window->editing().internalClipboard().empty());

        // Elsewhere the move goes through, folder entry and all.
        enter(m_news);
        m_window->RefreshPanes(true);
        focusTree();
        QTest::keyClick(tree(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(store.FindFolder(m_docs) == nullptr);
        const Folder& news = *store.FindFolder(m_news);
        QCOMPARE(news.FolderItems.size(), size_t(1));
        QVERIFY(news.FolderItems[0]->IsFolder);
        QTreeWidgetItem* moved = tree()->nodeByKey(QString::fromStdString(news.FolderItems[0]->IID));
        QVERIFY(moved);
        QCOMPARE(FolderTree::key(moved->parent()), QString::fromStdString(m_news));
        QCOMPARE(moved->childCount(), 1);  // Sub came along
        QVERIFY(!moved->data(0, FolderTree::TagRole).isValid());
    }

    void theRootCannotBeCut()
    {
        selectNode(RootFolderId);
        m_window->setLastFocus("TreeView1");
        action("mnuPUEdit_0")->trigger();
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QCOMPARE(m_world->fakes.messages.shown[0].title, std::string("Error Moving File"));
        QCOMPARE(m_world->fakes.messages.shown[0].text, std::string("You cannot move the Root Folder."));
        QVERIFY(m_window->editing().internalClipboard().empty());
    }

    void pasteWithAnEmptyClipboardReadsTheSystemClipboard_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QString>("message");  // empty: none
        QTest::newRow("web address") << "http://from.example/" << true << "";
        QTest::newRow("not a URL") << "yes" << false << "Error|Invalid URL Address on clipboard...";
        QTest::newRow("empty") << "" << false << "";
    }
    void pasteWithAnEmptyClipboardReadsTheSystemClipboard()
    {
        QFETCH(QString, text);
        QFETCH(bool, added);
        QFETCH(QString, message);
        m_world->fakes.clipboard.contents = text.toStdString();
        const int rows = m_window->ListView1()->rowCount();
        action("mnuEdit1")->trigger();
        QCOMPARE(m_window->ListView1()->rowCount(), rows + (added ? 1 : 0));
        if (added) {
            QCOMPARE(root().FolderItems.back()->Caption, std::string("From Clipboard"));
            QCOMPARE(root().FolderItems.back()->URL, text.toStdString());
        }
        const auto& shown = m_world->fakes.messages.shown;
        QCOMPARE(shown.size(), size_t(message.isEmpty() ? 0 : 1));
        if (!message.isEmpty()) {
            QCOMPARE(QString::fromStdString(shown[0].title + "|" + shown[0].text), message);
            QCOMPARE(shown[0].icon, MessageIcon::Information);
        }
        if (!added) {
            QVERIFY(m_world->fakes.messages.beeps >= 1);
        }
    }

private:
    QAction* action(const char* name) const { return m_window->action(QString::fromLatin1(name)); }
    FolderTree* tree() const { return m_window->TreeView1(); }
    Folder& root() const { return m_world->store.Root(); }
    void enter(const std::string& id) { m_world->store.SetCurrentFolder(*m_world->store.FindFolderOrRoot(id)); }
    static FolderItem* item(Folder& folder, const std::string& id)
    {
        for (const auto& entry : folder.FolderItems) {
            if (entry->IID == id) {
                return entry.get();
            }
        }
        return nullptr;
    }
    QString rowText(const std::string& id) const
    {
        const ContentsModel& rows = m_window->ListView1()->model();
        return rows.text(rows.findId(QString::fromStdString(id)), 0);
    }
    void focusList()
    {
        m_window->ListView1()->setFocus();
        m_window->setLastFocus("ListView1");
    }
    void focusTree()
    {
        const QSignalBlocker quiet(tree());
        tree()->setFocus(Qt::OtherFocusReason);
        m_window->setLastFocus("TreeView1");
    }
    QLineEdit* listEditor() const { return m_window->ListView1()->currentView()->viewport()->findChild<QLineEdit*>(); }
    QLineEdit* treeEditor() const { return tree()->viewport()->findChild<QLineEdit*>(); }

    std::string m_docs, m_news, m_sub, m_deep, m_a, m_b, m_c;
};

QTEST_MAIN(EditCommandsTest)
#include "EditCommandsTest.moc"
