#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/frmTarnwell.h"

using namespace brindlex;
using brindlex::test::ExplorerWorld;

namespace {

// Runs `act` on the modal dialog as soon as one is shown; `act` must close it.
void whenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

const char* const LongURL = "https://www.debian.org/releases/bookworm/amd64/release-notes/ch-whats-new.en.html";

}  // namespace

// How the dialogs of the main window come up on a desktop: their size, what their boxes
// show and where they stand.
class DialogsOnScreenTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_world = std::make_unique<ExplorerWorld>();
        m_world->settings->set("Browser", "ProgramFont", "DejaVu Sans");
        m_world->settings->set("Browser", "ProgramFontSize", "9");
        m_window = std::make_unique<frmTarnwell>(m_world->services());
        m_window->Load();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_world->fakes.messages.answerNext(Answer::No);
        m_window->close();
        m_window.reset();
        m_world.reset();
    }

    // The URL boxes were 150 pixels wide and showed the end of a long address.
    void entryDialogsShowATypicalURLWholeAndTheStartOfALongOne()
    {
        const QString typical = QStringLiteral("https://www.debian.org/News/2023/20230610.en.html");
        QStringList seen;
        whenModal([&](QWidget* dialog) {
            auto* url = dialog->findChild<QLineEdit*>(QStringLiteral("txtURL"));
            QVERIFY(url != nullptr);
            QVERIFY2(url->width() >= url->fontMetrics().horizontalAdvance(typical) + 4,
                qPrintable(QString::number(url->width())));
            seen << dialog->objectName();
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        m_window->action(QStringLiteral("mnuNewEntry"))->trigger();

        m_world->store.CreateEntry(false, LongURL, 5, "Release notes", "Http", "What is new");
        m_window->RefreshPanes(true);
        m_window->ListView1()->selectRow(0);
        m_window->ListView1()->setFocus();
        whenModal([&](QWidget* dialog) {
            auto* url = dialog->findChild<QLineEdit*>(QStringLiteral("txtURL"));
            QVERIFY(url != nullptr);
            QCOMPARE(url->text(), QString::fromLatin1(LongURL));
            QVERIFY(url->width() >= url->fontMetrics().horizontalAdvance(typical) + 4);
            QCOMPARE(url->cursorPosition(), 0);  // the start is what shows
            // The start really is in view: the box paints "https://www.debian" at its left.
            const QRect shown = url->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            QVERIFY2(shown.left() < url->width() / 4, qPrintable(QString::number(shown.left())));
            seen << dialog->objectName();
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        m_window->action(QStringLiteral("mnuProp1"))->trigger();
        QCOMPARE(seen, (QStringList { QStringLiteral("frmNewEntry"), QStringLiteral("frmProperties") }));
    }

private:
    std::unique_ptr<ExplorerWorld> m_world;
    std::unique_ptr<frmTarnwell> m_window;
};

QTEST_MAIN(DialogsOnScreenTest)
#include "DialogsOnScreenTest.moc"
