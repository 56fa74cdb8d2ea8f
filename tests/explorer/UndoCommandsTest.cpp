#include <string>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "fakes/StoreHelpers.h"
#include "platform/qt/QtString.h"
#include "store/Folder.h"
#include "store/LinkStore.h"
#include "store/UndoHistory.h"

using namespace brindlex;
using test::whenModal;

// Edit > Undo and Redo on the real window, over the tree of buildEditTree().
class UndoCommandsTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        open();
        auto ids = buildEditTree();
        m_docs = ids["Docs"];
        m_sub = ids["Sub"];
        m_news = ids["News"];
        m_inDocs = ids["in docs"];
        m_a = ids["A"];
        // The steps of building the tree are not the user's.
        m_world->store.History().Clear();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { close(); }

    // Ctrl+A, Delete, Enter emptied the root with every folder below it, for good.
    void selectAllDeleteComesBackWithCtrlZ()
    {
        const std::string saved = test::savedBytes(m_world->store);
        const QStringList rows = rowTexts();
        const QStringList nodes = nodeKeys();
        QCOMPARE(nodes.size(), 5);

        QWidget* list = m_window->ListView1()->currentView();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(rowTexts().isEmpty());
        QCOMPARE(nodeKeys(), QStringList { RootFolderId });
        const std::string deleted = test::savedBytes(m_world->store);
        QCOMPARE(action(Command::Undo)->text(), QStringLiteral("&Undo Delete 5 items"));

        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(QString::fromStdString(test::savedBytes(m_world->store)), QString::fromStdString(saved));
        QCOMPARE(rowTexts(), rows);
        QCOMPARE(nodeKeys(), nodes);
        QCOMPARE(selectedCount(), 5);  // what came back is selected
        QCOMPARE(m_window->panes().objectCount()->text(), QStringLiteral("5 object(s)"));

        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(test::savedBytes(m_world->store), deleted);
        QVERIFY(rowTexts().isEmpty());
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(test::savedBytes(m_world->store), deleted);
        QCOMPARE(nodeKeys(), QStringList { RootFolderId });
        QTest::keyClick(m_window->TreeView1(), Qt::Key_Z, Qt::ControlModifier);  // from the tree too
        QCOMPARE(test::savedBytes(m_world->store), saved);
    }

    void captionsAndEnablingFollowTheHistory()
    {
        QMenu* edit = m_window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuEdit"));
        QVERIFY(edit);
        const QList<QAction*> items = edit->actions();
        QCOMPARE(items.size(), 9);
        QVERIFY(items[6]->isSeparator());
        QCOMPARE(items[7], action(Command::Undo));
        QCOMPARE(items[8], action(Command::Redo));
        QCOMPARE(action(Command::Undo)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(action(Command::Redo)->shortcuts(),
            (QList<QKeySequence> {
                QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y")) }));
        QVERIFY(!m_window->toolbarButton(9)->isVisible());  // the toolbar's Undo stays hidden
        expectItems("&Undo", false, "&Redo", false);

        deleteRow(m_a);
        expectItems("&Undo Delete 'A'", true, "&Redo", false);
        trigger(Command::Undo);
        expectItems("&Undo", false, "&Redo Delete 'A'", true);
        trigger(Command::Redo);
        expectItems("&Undo Delete 'A'", true, "&Redo", false);
        trigger(Command::Undo);

        // A new change drops what could be redone; an ampersand in a name shows as one.
        renameRow("B", QStringLiteral("Salt & Pepper"));
        expectItems("&Undo Rename 'Salt && Pepper'", true, "&Redo", false);

        // An import is one step named after its file, however many entries it adds.
        const QString file = QString::fromStdString(m_world->homePath()) + QStringLiteral("/bookmark.htm");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>Imported</H3>\n<DL><p>\n"
                  "<DT><A HREF=\"http://x/\">X</A>\n</DL><p>\n<DT><A HREF=\"http://y/\">Y</A>\n</DL><p>\n");
        out.close();
        const std::string beforeImport = test::savedBytes(m_world->store);
        const QStringList rowsBeforeImport = rowTexts();
        m_world->fileDialogs.answerNext(file.toStdString());
        trigger(Command::ImportNetscape);
        QVERIFY(rowTexts().size() > rowsBeforeImport.size());
        expectItems("&Undo Import bookmark.htm", true, "&Redo", false);
        trigger(Command::Undo);
        QCOMPARE(test::savedBytes(m_world->store), beforeImport);
        QCOMPARE(rowTexts(), rowsBeforeImport);
        QCOMPARE(nodeKeys().size(), 5);

        // Saving keeps the history; New drops it.
        m_world->store.SetDatabasePath(m_world->homePath() + "/kept.bdx");
        trigger(Command::SaveFile);
        expectItems("&Undo Rename 'Salt && Pepper'", true, "&Redo Import bookmark.htm", true);
        m_world->fakes.messages.answerNext(Answer::No);
        trigger(Command::NewFile);
        expectItems("&Undo", false, "&Redo", false);
    }

    // The step is shown where it was made: its folder, its tree node, its rows selected.
    void undoShowsTheFolderOfTheStep()
    {
        LinkStore& store = m_world->store;
        m_window->panes().ShowFolder(*store.FindFolder(m_docs));
        deleteRow(m_inDocs);
        m_window->panes().ShowFolder(store.Root());
        QCOMPARE(store.CurrentFolder().id, std::string(RootFolderId));

        trigger(Command::Undo);
        QCOMPARE(store.CurrentFolder().id, m_docs);
        QCOMPARE(FolderTree::key(m_window->TreeView1()->currentItem()), toQString(m_docs));
        QVERIFY(rowTexts().contains(QStringLiteral("in docs")));
        const ContentsList* list = m_window->ListView1();
        const int row = list->model().findId(toQString(m_inDocs));
        QVERIFY(list->isRowSelected(row));
        QCOMPARE(selectedCount(), 1);
    }

    // The tree comes back with the folders open and closed as they were on that side of the
    // step: also one open inside a closed folder, and those the step itself took away; and
    // scrolled as far as it was.
    void undoAndRedoShowTheTreeAsItWas()
    {
        LinkStore& store = m_world->store;
        store.SetCurrentFolder(*store.FindFolder(m_news));
        for (int i = 0; i < 40; ++i) {
            store.CreateEntry(true, "", 6, "Many " + std::to_string(i), "Folder", "");
        }
        store.SetCurrentFolder(store.Root());
        m_window->RefreshPanes(true);
        store.History().Clear();
        FolderTree* tree = m_window->TreeView1();
        const auto node = [tree](const std::string& id) { return tree->nodeByKey(toQString(id)); };
        node(m_docs)->setExpanded(true);
        node(m_sub)->setExpanded(true);
        node(m_docs)->setExpanded(false);
        node(m_news)->setExpanded(true);
        m_window->panes().ShowFolder(*store.FindFolder(m_docs));
        m_window->setLastFocus("TreeView1");
        QTRY_VERIFY(tree->verticalScrollBar()->maximum() > 1);
        tree->verticalScrollBar()->setValue(tree->verticalScrollBar()->maximum());
        const QStringList before = openNodes();
        QCOMPARE(before, (QStringList { RootFolderId, toQString(m_sub), toQString(m_news) }));
        const int scrolled = tree->verticalScrollBar()->value();
        QVERIFY(scrolled > 1);
        QCOMPARE(FolderTree::key(tree->currentItem()), toQString(m_docs));
        whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        trigger(Command::Delete);
        QVERIFY(node(m_sub) == nullptr);
        node(m_news)->setExpanded(false);
        const QStringList after = openNodes();
        QVERIFY(!after.contains(toQString(m_news)));

        trigger(Command::Undo);
        QCOMPARE(openNodes(), before);
        QCOMPARE(FolderTree::key(tree->currentItem()), toQString(m_docs));
        QCOMPARE(tree->verticalScrollBar()->value(), scrolled);
        trigger(Command::Redo);
        QCOMPARE(openNodes(), after);
        trigger(Command::Undo);
        QCOMPARE(openNodes(), before);
    }

    // Ctrl+Z while a name is edited in place is the editor's own; the model stays.
    void keysWhileRenamingInPlaceBelongToTheEditor()
    {
        deleteRow(m_a);
        const std::string before = test::savedBytes(m_world->store);
        m_window->ListView1()->selectRow(0);
        QWidget* view = m_window->ListView1()->currentView();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit* editor = view->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClicks(editor, QStringLiteral("xy"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(test::savedBytes(m_world->store), before);
        QCOMPARE(m_world->store.History().UndoCaption(), std::string("Delete 'A'"));
        QVERIFY(!m_world->store.History().CanRedo());
        QTest::keyClick(editor, Qt::Key_Escape);
    }

    // A link the clipboard client's Get URL adds is a step of its own.
    void getURLIsOneStep()
    {
        const std::string before = test::savedBytes(m_world->store);
        m_window->setClientById(4);  // the system clipboard
        m_world->fakes.clipboard.contents = "http://got.example/";
        trigger(Command::GetURL);
        QVERIFY(rowTexts().contains(QStringLiteral("From Clipboard")));
        expectItems("&Undo Get URL", true, "&Redo", false);
        trigger(Command::Undo);
        QCOMPARE(test::savedBytes(m_world->store), before);
        QVERIFY(!rowTexts().contains(QStringLiteral("From Clipboard")));
    }

private:
    QStringList nodeKeys() const
    {
        QStringList keys;
        for (QTreeWidgetItemIterator it(m_window->TreeView1()); *it; ++it) {
            keys << FolderTree::key(*it);
        }
        return keys;
    }
    // The keys of the expanded nodes, in tree order.
    QStringList openNodes() const
    {
        QStringList keys;
        for (QTreeWidgetItemIterator it(m_window->TreeView1()); *it; ++it) {
            if ((*it)->isExpanded()) {
                keys << FolderTree::key(*it);
            }
        }
        return keys;
    }
    int selectedCount() const
    {
        int count = 0;
        for (int row = 0; row < m_window->ListView1()->rowCount(); ++row) {
            count += m_window->ListView1()->isRowSelected(row) ? 1 : 0;
        }
        return count;
    }
    void expectItems(const char* undo, bool canUndo, const char* redo, bool canRedo)
    {
        QCOMPARE(action(Command::Undo)->text(), QString::fromUtf8(undo));
        QCOMPARE(action(Command::Undo)->isEnabled(), canUndo);
        QCOMPARE(action(Command::Redo)->text(), QString::fromUtf8(redo));
        QCOMPARE(action(Command::Redo)->isEnabled(), canRedo);
    }
    void deleteRow(const std::string& id)
    {
        m_window->ListView1()->setFocus();
        selectRows({ id });
        whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        trigger(Command::Delete);
    }
    void renameRow(const QString& caption, const QString& text)
    {
        ContentsList* list = m_window->ListView1();
        int row = -1;
        for (int at = 0; at < list->rowCount(); ++at) {
            if (list->model().text(at, 0) == caption) {
                row = at;
            }
        }
        QVERIFY(row >= 0);
        list->setFocus();
        list->selectRow(row);
        QVERIFY(list->editRow(row));
        QLineEdit* editor = list->currentView()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(rowTexts().contains(text));
    }

    std::string m_docs;
    std::string m_sub;
    std::string m_news;
    std::string m_inDocs;
    std::string m_a;
};

QTEST_MAIN(UndoCommandsTest)
#include "UndoCommandsTest.moc"
