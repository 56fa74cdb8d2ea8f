#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

#include "explorer/dialogs/frmConfirmDelete.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtMessageBoxes.h"

using namespace brindlex;

// Message boxes and dialogs that ask the user something while a long command shows the
// hourglass. They used to appear under the hourglass.
class ModalPointerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        while (QGuiApplication::overrideCursor()) {
            QGuiApplication::restoreOverrideCursor();
        }
    }

    void askingShowsTheNormalPointerAndTheHourglassComesBack_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("message box") << 0;
        QTest::newRow("open dialog") << 1;
        QTest::newRow("save dialog") << 2;
        QTest::newRow("delete confirmation") << 3;
    }
    void askingShowsTheNormalPointerAndTheHourglassComesBack()
    {
        QFETCH(int, which);
        const std::function<void()> ask[] = {
            [] { QtMessageBoxes().show("Error", "Cannot move", MessageIcon::Critical); },
            [] {
                QtFileDialogs().openFile(nullptr, { "Open", "All Files (*)", "", "", "" });
            },
            [] {
                QtFileDialogs().saveFile(nullptr, { "Save As", "All Files (*)", "", "", "" });
            },
            [] { frmConfirmDelete::ask(QStringLiteral("Delete?"), nullptr); },
        };
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const Qt::CursorShape shown = shapeWhileAsking(ask[which]);
        QCOMPARE(shown, Qt::ArrowCursor);
        QVERIFY(QGuiApplication::overrideCursor() != nullptr);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }

    void withoutTheHourglassNothingIsPushed()
    {
        const Qt::CursorShape shown
            = shapeWhileAsking([] { QtMessageBoxes().show("Nothing found", "The clipboard is empty...."); });
        QCOMPARE(shown, Qt::BitmapCursor);  // no override cursor at all
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

private:
    // The override pointer while `ask` shows its window; the window is then closed.
    static Qt::CursorShape shapeWhileAsking(const std::function<void()>& ask)
    {
        Qt::CursorShape shape = Qt::BlankCursor;
        bool seen = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (modal == nullptr || !modal->isVisible()) {
                return;
            }
            const QCursor* cursor = QGuiApplication::overrideCursor();
            shape = cursor ? cursor->shape() : Qt::BitmapCursor;
            seen = true;
            modal->reject();
        });
        poll.start();
        ask();
        poll.stop();
        [&] { QVERIFY2(seen, "no dialog was shown"); }();
        return shape;
    }
};

QTEST_MAIN(ModalPointerTest)
#include "ModalPointerTest.moc"
