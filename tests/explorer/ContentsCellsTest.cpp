#include <memory>

#include <QListView>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/WindowFixture.h"

using namespace brindlex;

// The icon views of the contents list with long names.
class ContentsCellsTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        storeProgramFont("DejaVu Sans", 9);
        open();
        LinkStore& store = m_world->store;
        for (const char* name : { "The Debian Administrator's Handbook, the complete reference", "Short",
                 "Another rather long bookmark name that keeps going", "Tiny" }) {
            store.CreateEntry(false, "http://example.org/", 5, name, "Http", "");
        }
        m_window->RefreshPanes(true);
    }
    void cleanup() { close(); }

    // Names used to be drawn over the next item in Small Icons, and large icons cut a
    // name to its first letters although their cell had room for two lines of it.
    void everyNameStaysInItsOwnCell_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("large icons") << 0;
        QTest::newRow("small icons") << 1;
        QTest::newRow("list") << 2;
    }
    void everyNameStaysInItsOwnCell()
    {
        QFETCH(int, mode);
        m_window->SetViewMode(mode);
        QListView* view = m_window->ListView1()->iconView();
        QTRY_VERIFY(view->isVisible());
        const QFontMetrics metrics(view->font());
        const QSize grid = view->gridSize();
        const int rows = view->model()->rowCount();
        QCOMPARE(rows, 4);
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            const QRect cell = view->visualRect(index);
            const QString name = index.data().toString();
            // The cell is the grid's, less its gaps: room for a good part of any name...
            QVERIFY2(cell.width() >= grid.width() - 8,
                qPrintable(QStringLiteral("%1 in %2").arg(cell.width()).arg(grid.width())));
            QVERIFY(cell.width() >= 12 * metrics.averageCharWidth());
            // ... two lines of it under a large icon ...
            if (mode == 0) {
                QVERIFY(cell.height() >= 32 + 2 * metrics.lineSpacing());
            } else {
                QVERIFY(cell.height() >= metrics.height());
            }
            // ... and no two cells overlap, so an elided name never runs into the next.
            for (int other = row + 1; other < rows; ++other) {
                QVERIFY2(!cell.intersects(view->visualRect(view->model()->index(other, 0))),
                    qPrintable(QStringLiteral("rows %1 and %2").arg(row).arg(other)));
            }
            if (name.size() > 40) {
                QVERIFY(metrics.horizontalAdvance(name) > cell.width());  // so it must be elided
            }
        }
    }

    // A larger program font gets larger cells.
    void cellsFollowTheProgramFont()
    {
        m_window->SetViewMode(1);
        QListView* view = m_window->ListView1()->iconView();
        const QSize before = view->gridSize();
        m_window->setProgramFont("DejaVu Sans", 16);
        m_window->ApplyProgramFont(m_window.get());
        QVERIFY(view->gridSize().height() > before.height());
        const QRect cell = view->visualRect(view->model()->index(0, 0));
        QVERIFY(cell.height() >= QFontMetrics(view->font()).height());
    }
};

QTEST_MAIN(ContentsCellsTest)
#include "ContentsCellsTest.moc"
