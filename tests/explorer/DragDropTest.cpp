#include <memory>
#include <set>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDataStream>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QIODevice>
#include <QMimeData>
#include <QSignalBlocker>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/DragDrop.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "fakes/StoreHelpers.h"
#include "platform/qt/QtString.h"
#include "store/LinkStore.h"

using namespace brindlex;
using brindlex::test::describe;

namespace {

// Every folder id and entry IID of the database.
std::set<std::string> allIds(LinkStore& store)
{
    std::set<std::string> ids;
    store.WalkFolders(store.Root(), [&](Folder& folder, int) {
        ids.insert(folder.id);
        for (const auto& item : folder.FolderItems) {
            ids.insert(item->IID);
        }
        return true;
    });
    return ids;
}

// Each folder of the flat list once, with its folder entry, and a node in the tree.
bool modelAndTreeAgree(LinkStore& store, FolderTree* tree)
{
    std::set<const Folder*> seen;
    for (const auto& folder : store.Root().SubFolders) {
        if (!seen.insert(folder.get()).second || store.FolderEntry(*folder) == nullptr
            || tree->nodeByKey(toQString(folder->id)) == nullptr) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Dragging rows and nodes between the panes, driven through the panes' own drag and drop
// handlers with the mime data they build (a real QDrag cannot run offscreen). The tree:
//   root: Alpha (Child (Deep), link "inside"), Beta, links "zeta" and "Echo"
class DragDropTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        open();
        auto ids = buildTree("Alpha/\n"
                             "  Child/\n"
                             "    Deep/\n"
                             "  inside = http://inside.example/\n"
                             "Beta/\n"
                             "zeta = http://zeta.example/\n"
                             "Echo = ftp://echo.example/\n");
        m_alpha = ids["Alpha"];
        m_beta = ids["Beta"];
        m_child = ids["Child"];
        m_deep = ids["Deep"];
        showFolder(RootFolderId);
        m_world->fakes.messages.shown.clear();
        m_world->fakes.messages.beeps = 0;
    }
    void cleanup() { close(); }

    void linkRowDroppedOnTreeNodeMovesIt()
    {
        const std::string zeta = idOf("zeta");
        const std::unique_ptr<QMimeData> data = listDrag({ "zeta" });
        QVERIFY(data);

        QVERIFY(hover(treeViewport(), nodePoint(m_beta), *data));
        QCOMPARE(tree()->dropHighlightKey(), toQString(m_beta));
        QVERIFY(drop(treeViewport(), nodePoint(m_beta), *data));

        QCOMPARE(tree()->dropHighlightKey(), QString());
        QCOMPARE(shape(),
            QStringLiteral("Alpha/\nBeta/\n|Echo|ftp://echo.example/\n"
                           "Alpha\\Child/\nAlpha|inside|http://inside.example/\n"
                           "Alpha\\Child\\Deep/\n"
                           "Beta|zeta|http://zeta.example/\n"));
        QVERIFY(!allIds(m_world->store).count(zeta));  // the moved entry has a new id
        QCOMPARE(rowTexts(), QStringList({ " Alpha", " Beta", "Echo" }));
        QCOMPARE(m_world->store.CurrentFolder().id, std::string(RootFolderId));
        QVERIFY(m_world->fakes.messages.shown.empty());
    }

    // A mistaken drag is taken back by Edit > Undo: the rows, the tree and the moved
    // folder's ids as they were, and Redo moves it again (under the id the move gave it).
    void aDropIsUndoneAndRedone()
    {
        const QString before = shape();
        const std::set<std::string> idsBefore = allIds(m_world->store);
        const QStringList rowsBefore = rowTexts();
        const std::unique_ptr<QMimeData> data = treeDrag(m_child);
        QVERIFY(drop(treeViewport(), nodePoint(m_beta), *data));
        const QString moved = shape();
        QVERIFY(moved != before);
        QCOMPARE(m_window->action(Command::Undo)->text(), QStringLiteral("&Undo Move 'Child'"));

        m_window->action(Command::Undo)->trigger();
        QCOMPARE(shape(), before);
        QCOMPARE(allIds(m_world->store), idsBefore);
        QVERIFY(tree()->nodeByKey(toQString(m_child))->parent() == tree()->nodeByKey(toQString(m_alpha)));
        QVERIFY(tree()->nodeByKey(toQString(m_deep)) != nullptr);
        QCOMPARE(rowTexts(), rowsBefore);

        m_window->action(Command::Redo)->trigger();
        QCOMPARE(shape(), moved);
        QVERIFY(tree()->nodeByKey(toQString(folderId("Child")))->parent() == tree()->nodeByKey(toQString(m_beta)));
    }

    void manyRowsDroppedOnAFolderRowMoveTogether_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("large icons") << 0;
        QTest::newRow("small icons") << 1;
        QTest::newRow("list") << 2;
        QTest::newRow("details") << 3;
    }
    void manyRowsDroppedOnAFolderRowMoveTogether()
    {
        QFETCH(int, mode);
        m_window->SetViewMode(mode);  // switching the icon view's mode used to turn its drops off
        QCoreApplication::processEvents();  // lays the icons out
        const std::unique_ptr<QMimeData> data = listDrag({ "zeta", "Echo" });
        QVERIFY(hover(listViewport(), rowPoint("Beta"), *data));
        QCOMPARE(list()->dropHighlightRow(), rowOf("Beta"));
        QVERIFY(list()->model().data(list()->model().index(rowOf("Beta"), 0), Qt::BackgroundRole).isValid());
        QVERIFY(drop(listViewport(), rowPoint("Beta"), *data));

        QCOMPARE(list()->dropHighlightRow(), -1);
        QCOMPARE(shape(),
            QStringLiteral("Alpha/\nBeta/\n"
                           "Alpha\\Child/\nAlpha|inside|http://inside.example/\n"
                           "Alpha\\Child\\Deep/\n"
                           "Beta|Echo|ftp://echo.example/\nBeta|zeta|http://zeta.example/\n"));  // in row order
        QCOMPARE(rowTexts(), QStringList({ " Alpha", " Beta" }));
    }

    void folderRowDroppedOnTreeNodeMovesItsWholeSubtreeWithNewIds()
    {
        const std::set<std::string> before = allIds(m_world->store);
        std::set<std::string> subtree { m_alpha, m_child, m_deep, idIn(m_alpha, "inside") };
        const std::unique_ptr<QMimeData> data = listDrag({ "Alpha" });
        QVERIFY(drop(treeViewport(), nodePoint(m_beta), *data));

        QCOMPARE(shape(),
            QStringLiteral("Beta/\n|zeta|http://zeta.example/\n|Echo|ftp://echo.example/\n"
                           "Beta\\ Alpha/\n"  // the entry takes the row's text
                           "Beta\\ Alpha\\Child/\nBeta\\ Alpha|inside|http://inside.example/\n"
                           "Beta\\ Alpha\\Child\\Deep/\n"));
        const std::set<std::string> after = allIds(m_world->store);
        QCOMPARE(after.size(), before.size());  // nothing lost, nothing doubled
        for (const std::string& id : subtree) {
            QVERIFY2(!after.count(id), id.c_str());
        }
        // Folders moved, so the tree was rebuilt: the moved folders hang below Beta.
        QVERIFY(modelAndTreeAgree(m_world->store, tree()));
        QTreeWidgetItem* beta = tree()->nodeByKey(toQString(m_beta));
        QCOMPARE(beta->childCount(), 1);
        QCOMPARE(beta->child(0)->text(0), QStringLiteral("Alpha"));
        QCOMPARE(beta->child(0)->child(0)->text(0), QStringLiteral("Child"));
        QCOMPARE(rowTexts(), QStringList({ " Beta", "Echo", "zeta" }));
    }

    void treeNodeDroppedOnListFolderRowMovesIt()
    {
        const std::unique_ptr<QMimeData> data = treeDrag(m_beta);
        QVERIFY(data);
        // What moves is what was dragged, not the rows selected in the list.
        list()->selectRow(rowOf("zeta"));
        QVERIFY(hover(listViewport(), rowPoint("Alpha"), *data));
        QVERIFY(!hover(listViewport(), rowPoint("Beta"), *data));  // the dragged folder's own row
        QVERIFY(drop(listViewport(), rowPoint("Alpha"), *data));

        QCOMPARE(shape(),
            QStringLiteral("Alpha/\n|zeta|http://zeta.example/\n|Echo|ftp://echo.example/\n"
                           "Alpha\\Child/\nAlpha|inside|http://inside.example/\nAlpha\\Beta/\n"
                           "Alpha\\Child\\Deep/\n"));
        QVERIFY(modelAndTreeAgree(m_world->store, tree()));
        QCOMPARE(m_world->store.CurrentFolder().id, std::string(RootFolderId));
        QCOMPARE(rowTexts(), QStringList({ " Alpha", "Echo", "zeta" }));
    }

    void movingTheShownFolderAwayShowsTheRoot()
    {
        showFolder(m_child);
        const std::unique_ptr<QMimeData> data = treeDrag(m_child);
        QVERIFY(drop(treeViewport(), nodePoint(m_beta), *data));

        QCOMPARE(m_world->store.CurrentFolder().id, std::string(RootFolderId));
        QCOMPARE(tree()->currentItem(), tree()->nodeByKey(QString::fromLatin1(RootFolderId)));
        QCOMPARE(rowTexts(), QStringList({ " Alpha", " Beta", "Echo", "zeta" }));
        QCOMPARE(shape(),
            QStringLiteral("Alpha/\nBeta/\n|zeta|http://zeta.example/\n|Echo|ftp://echo.example/\n"
                           "Alpha|inside|http://inside.example/\n"
                           "Beta\\Child/\n"
                           "Beta\\Child\\Deep/\n"));
    }

    void movingLinksKeepsTheShownFolder()
    {
        showFolder(m_alpha);
        const std::unique_ptr<QMimeData> data = listDrag({ "inside" });
        QVERIFY(drop(treeViewport(), nodePoint(m_deep), *data));
        QCOMPARE(m_world->store.CurrentFolder().id, m_alpha);
        QCOMPARE(tree()->currentItem(), tree()->nodeByKey(toQString(m_alpha)));
        QCOMPARE(rowTexts(), QStringList({ " Child" }));
    }

    void refusedMovesChangeNothing_data()
    {
        QTest::addColumn<QString>("from");  // "list" or "tree"
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("onto");  // "node" or "row"
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("shown");  // the folder in the list
        QTest::addColumn<QString>("message");
        const QString same = QStringLiteral(": The destination folder is the same as the source folder.");
        const QString below = QStringLiteral(": The destination folder is a subfolder of the source folder.");
        // clang-format off
        QTest::newRow("node onto its child") << "tree" << "Alpha" << "node" << "Child" << "" << "Cannot move ALPHA" + below;
        QTest::newRow("node onto a deeper folder")
            << "tree" << "Alpha" << "node" << "Deep" << "" << "Cannot move ALPHA" + below;
        QTest::newRow("node onto its parent") << "tree" << "Child" << "node" << "Alpha" << "" << "Cannot move CHILD" + same;
        QTest::newRow("node onto itself") << "tree" << "Alpha" << "node" << "Alpha" << "" << "Cannot move ALPHA" + same;
        QTest::newRow("row onto its own node") << "list" << "Alpha" << "node" << "Alpha" << "" << "Cannot move ALPHA" + same;
        QTest::newRow("row onto the folder holding it")
            << "list" << "Alpha" << "node" << "root" << "" << "Cannot move ALPHA" + same;
        QTest::newRow("row with a link onto its subfolder")
            << "list" << "Alpha,zeta" << "node" << "Deep" << "" << "Cannot move ALPHA" + below;
        QTest::newRow("node onto a row below it")
            << "tree" << "Alpha" << "row" << "Child" << "Alpha" << "Cannot move ALPHA" + below;
        // clang-format on
    }
    void refusedMovesChangeNothing()
    {
        QFETCH(QString, from);
        QFETCH(QString, dragged);
        QFETCH(QString, onto);
        QFETCH(QString, target);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        if (!shown.isEmpty()) {
            showFolder(folderId(shown));
        }
        const QString before = shape();
        const std::string current = m_world->store.CurrentFolder().id;
        const QStringList rowsBefore = rowTexts();
        std::unique_ptr<QMimeData> data;
        if (from == QLatin1String("list")) {
            std::vector<std::string> captions;
            for (const QString& caption : dragged.split(QLatin1Char(','))) {
                captions.push_back(toUtf8(caption));
            }
            data = listDrag(captions);
        } else {
            data = treeDrag(folderId(dragged));
        }
        QVERIFY(data);

        const bool accepted = onto == QLatin1String("node") ? drop(treeViewport(), nodePoint(folderId(target)), *data)
                                                            : drop(listViewport(), rowPoint(target), *data);
        QVERIFY(!accepted);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        const test::ShownMessage& box = m_world->fakes.messages.shown.front();
        QCOMPARE(box.title, std::string("Error Moving File"));
        QCOMPARE(toQString(box.text), message);
        QCOMPARE(box.icon, MessageIcon::Critical);
        QCOMPARE(m_world->fakes.messages.beeps, 1);
        QCOMPARE(shape(), before);
        QCOMPARE(m_world->store.CurrentFolder().id, current);
        QCOMPARE(rowTexts(), rowsBefore);
        QCOMPARE(tree()->dropHighlightKey(), QString());
        // The dragged folder was not re-made under a new id.
        QVERIFY(m_world->store.FindFolder(folderId(dragged.split(QLatin1Char(',')).front())) != nullptr);
    }

    void onlyFolderTargetsLightUpAndLeavingClearsThem()
    {
        // List rows over the list: a folder row takes them, a link row, the dragged row
        // itself and the empty area do not.
        std::unique_ptr<QMimeData> rows = listDrag({ "Alpha", "zeta" });
        QVERIFY(hover(listViewport(), rowPoint("Beta"), *rows));
        QCOMPARE(list()->dropHighlightRow(), rowOf("Beta"));
        QVERIFY(!move(listViewport(), rowPoint("Echo"), *rows));
        QCOMPARE(list()->dropHighlightRow(), -1);
        QVERIFY(!move(listViewport(), rowPoint("Alpha"), *rows));
        QCOMPARE(list()->dropHighlightRow(), -1);
        QVERIFY(move(listViewport(), rowPoint("Beta"), *rows));
        QVERIFY(!move(listViewport(), emptyPoint(listViewport()), *rows));
        QCOMPARE(list()->dropHighlightRow(), -1);
        QVERIFY(move(listViewport(), rowPoint("Beta"), *rows));
        leave(listViewport());
        QCOMPARE(list()->dropHighlightRow(), -1);

        // A node over the tree: every other node takes it, itself and the empty area not.
        std::unique_ptr<QMimeData> node = treeDrag(m_alpha);
        QVERIFY(!hover(treeViewport(), nodePoint(m_alpha), *node));
        QCOMPARE(tree()->dropHighlightKey(), QString());
        QVERIFY(move(treeViewport(), nodePoint(m_child), *node));  // refused only on the drop
        QCOMPARE(tree()->dropHighlightKey(), toQString(m_child));
        QVERIFY(move(treeViewport(), nodePoint(RootFolderId), *node));
        QCOMPARE(tree()->dropHighlightKey(), QString::fromLatin1(RootFolderId));
        QVERIFY(!move(treeViewport(), emptyPoint(treeViewport()), *node));
        QCOMPARE(tree()->dropHighlightKey(), QString());
        const QRect beta = tree()->visualItemRect(tree()->nodeByKey(toQString(m_beta)));
        const QImage plain = treeViewport()->grab(beta).toImage();
        QVERIFY(move(treeViewport(), nodePoint(m_beta), *node));
        QVERIFY(treeViewport()->grab(beta).toImage() != plain);  // painted as the target
        leave(treeViewport());
        QCOMPARE(tree()->dropHighlightKey(), QString());
        QCOMPARE(treeViewport()->grab(beta).toImage(), plain);
        QVERIFY(m_world->fakes.messages.shown.empty());
    }

    void dropsOnNothingOrOnALinkRowAreIgnored()
    {
        const QString before = shape();
        const std::unique_ptr<QMimeData> data = listDrag({ "zeta" });
        QVERIFY(!drop(listViewport(), rowPoint("Echo"), *data));
        QVERIFY(!drop(listViewport(), rowPoint("zeta"), *data));
        QVERIFY(!drop(listViewport(), emptyPoint(listViewport()), *data));
        QVERIFY(!drop(treeViewport(), emptyPoint(treeViewport()), *data));
        QCOMPARE(shape(), before);
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(m_world->fakes.messages.beeps, 0);
    }

    void theRootNodeIsNeverDragged()
    {
        QVERIFY(!treeDrag(RootFolderId));
        QVERIFY(treeDrag(m_alpha));
    }

    void dragsFromElsewhereAreNotTaken()
    {
        // Ids only mean something in the store of the program that made them.
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << static_cast<qint64>(QCoreApplication::applicationPid() + 1) << qint32(0)
            << QStringList { toQString(idOf("zeta")) };
        QMimeData foreign;
        foreign.setData(QString::fromLatin1(PaneDragMimeType), bytes);
        QMimeData text;
        text.setText(QStringLiteral("http://zeta.example/"));
        for (const QMimeData* data :
            { static_cast<const QMimeData*>(&foreign), static_cast<const QMimeData*>(&text) }) {
            QDragEnterEvent enter(rowPoint("Beta"), Qt::MoveAction, data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(listViewport(), &enter);
            QVERIFY(!enter.isAccepted());
        }
    }

private:
    FolderTree* tree() const { return m_window->TreeView1(); }
    ContentsList* list() const { return m_window->ListView1(); }
    QWidget* listViewport() const { return list()->currentView()->viewport(); }
    QWidget* treeViewport() const { return tree()->viewport(); }

    // The database, one line per entry: each folder's entries when the walk reaches it.
    QString shape() const { return toQString(describe(m_world->store)); }
    void showFolder(const std::string& id)
    {
        m_world->store.SetCurrentFolder(*m_world->store.FindFolderOrRoot(id));
        m_window->RefreshPanes(true);
        m_window->ArrangeBy(0);
    }
    std::string folderId(const QString& caption) const
    {
        if (caption == QLatin1String("root")) {
            return RootFolderId;
        }
        for (const auto& folder : m_world->store.Root().SubFolders) {
            if (toQString(folder->Caption) == caption) {
                return folder->id;
            }
        }
        return {};
    }
    std::string idIn(const std::string& folderId, const std::string& caption) const
    {
        for (const auto& item : m_world->store.FindFolderOrRoot(folderId)->FolderItems) {
            if (item->Caption == caption) {
                return item->IID;
            }
        }
        return {};
    }
    std::string idOf(const std::string& caption) const { return idIn(m_world->store.CurrentFolder().id, caption); }
    int rowOf(const QString& caption) const
    {
        const ContentsModel& model = list()->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.text(row, 0).trimmed() == caption) {
                return row;
            }
        }
        return -1;
    }
    QPoint rowPoint(const QString& caption) const
    {
        const int row = rowOf(caption);
        return row < 0 ? QPoint() : list()->currentView()->visualRect(list()->model().index(row, 0)).center();
    }
    QPoint nodePoint(const std::string& key) const
    {
        tree()->expandAll();
        QTreeWidgetItem* node = tree()->nodeByKey(toQString(key));
        return node ? tree()->visualItemRect(node).center() : QPoint();
    }
    static QPoint emptyPoint(QWidget* viewport) { return QPoint(viewport->width() - 3, viewport->height() - 3); }

    // What dragging these rows, selected in the list, carries.
    std::unique_ptr<QMimeData> listDrag(const std::vector<std::string>& captions)
    {
        list()->clearSelection();
        for (const std::string& caption : captions) {
            list()->selectRow(rowOf(toQString(caption)), false);
        }
        return std::unique_ptr<QMimeData>(list()->dragMimeData());
    }
    // What dragging this node carries; the press that selects it is not replayed, so the
    // shown folder stays.
    std::unique_ptr<QMimeData> treeDrag(const std::string& key)
    {
        {
            const QSignalBlocker quiet(tree());
            tree()->setCurrentItem(tree()->nodeByKey(toQString(key)));
        }
        return std::unique_ptr<QMimeData>(tree()->dragMimeData());
    }

    // A drag arriving over `point`: returns whether the pane takes it there.
    bool hover(QWidget* viewport, const QPoint& point, const QMimeData& data)
    {
        QDragEnterEvent enter(point, Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        return move(viewport, point, data);
    }
    bool move(QWidget* viewport, const QPoint& point, const QMimeData& data)
    {
        QDragMoveEvent moved(point, Qt::MoveAction, &data, Qt::LeftButton, {});
        moved.setAccepted(false);
        QCoreApplication::sendEvent(viewport, &moved);
        return moved.isAccepted() && moved.dropAction() == Qt::MoveAction;
    }
    void leave(QWidget* viewport)
    {
        QDragLeaveEvent left;
        QCoreApplication::sendEvent(viewport, &left);
    }
    // A drag released over `point`: returns whether the drop was taken.
    bool drop(QWidget* viewport, const QPoint& point, const QMimeData& data)
    {
        hover(viewport, point, data);
        QDropEvent dropped(point, Qt::MoveAction, &data, Qt::LeftButton, {});
        dropped.setAccepted(true);  // a refusal must say so
        QCoreApplication::sendEvent(viewport, &dropped);
        return dropped.isAccepted();
    }

    std::string m_alpha;
    std::string m_beta;
    std::string m_child;
    std::string m_deep;
};

QTEST_MAIN(DragDropTest)
#include "DragDropTest.moc"
