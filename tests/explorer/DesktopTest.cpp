#include <cstdlib>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "browser/ui/frmBLoad.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/WindowFixture.h"
#include "settings/OptionsHost.h"

using namespace brindlex;
using test::whenModal;

namespace {

const char* const LongURL = "https://www.debian.org/releases/bookworm/amd64/release-notes/ch-whats-new.en.html";

}  // namespace

// How the dialogs of the main window come up on a desktop: their size, what their boxes
// show and where they stand.
class DesktopTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        storeProgramFont("DejaVu Sans", 9);
        open();
    }
    void cleanup() { close(); }

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
        trigger(Command::NewEntry);

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
        trigger(Command::Properties);
        QCOMPARE(seen, (QStringList { QStringLiteral("frmNewEntry"), QStringLiteral("frmProperties") }));
    }

    // Options, Go To and the "Loading" window were placed by their size before they had
    // one: their top left corner sat near the middle of the main window.
    void dialogsAreCentredOverTheMainWindow()
    {
        const auto offCentre = [this](const QWidget* dialog) {
            const QPoint d = dialog->frameGeometry().center() - m_window->frameGeometry().center();
            return QStringLiteral("%1 is %2,%3 off").arg(dialog->objectName()).arg(d.x()).arg(d.y());
        };
        const QString centred = QStringLiteral(" is 0,0 off");
        QStringList seen;
        for (Command command : { Command::Options, Command::GoTo }) {
            whenModal([&](QWidget* dialog) {
                QPoint d = dialog->frameGeometry().center() - m_window->frameGeometry().center();
                seen << (std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1 ? dialog->objectName() + centred
                                                                      : offCentre(dialog));
                static_cast<QDialog*>(dialog)->reject();
            });
            trigger(command);
        }
        ProgramOptions options;
        frmBLoad loading("Netscape Navigator", QPixmap(), options, m_window.get());
        m_window->CenterOverMainWindow(&loading);
        loading.show();
        QVERIFY(QTest::qWaitForWindowExposed(&loading));
        const QPoint d = loading.frameGeometry().center() - m_window->frameGeometry().center();
        seen << (std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1 ? loading.objectName() + centred : offCentre(&loading));
        QCOMPARE(seen, (QStringList { "frmOptions" + centred, "frmGoToFolder" + centred, "frmBLoad" + centred }));
    }

    // An https address on the clipboard was refused as "Invalid URL Address on
    // clipboard..." by Paste and by the clipboard client's Get URL.
    void httpsAddressesFromTheClipboardAreLinks()
    {
        m_world->fakes.clipboard.contents = "https://www.debian.org/News/";
        m_window->ListView1()->setFocus();
        trigger(Command::Paste);
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(rowTexts(), QStringList { "From Clipboard" });
        QCOMPARE(rowTexts(2), QStringList { "Http" });  // the Type column

        m_window->setClientById(4);  // the system clipboard
        m_world->fakes.clipboard.contents = "HTTPS://Example.org/";
        trigger(Command::GetURL);
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(rowTexts(2), (QStringList { "Http", "Http" }));
    }

    // After an import the progress window closed and left no window active, so Alt+F
    // did nothing until the window was clicked.
    void menuKeysWorkRightAfterAnImport()
    {
        const QString file = QString::fromStdString(m_world->homePath()) + QStringLiteral("/bookmarks.html");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n</DL><p>\n");
        out.close();
        m_world->fileDialogs.answerNext(file.toStdString());
        trigger(Command::ImportNetscape);
        QCOMPARE(rowTexts().size(), 1);
        QTest::qWait(50);  // the window system's (de)activations arrive
        QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
        QVERIFY(m_window->ListView1()->hasFocus());
        QMenu* file1 = m_window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
        QVERIFY(file1 != nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file1->isVisible());
        file1->close();
    }

    // "E" opened both Export and New Entry of the File menu.
    void everyMenuHasEachMnemonicOnce()
    {
        std::vector<QMenu*> menus;
        for (QAction* top : m_window->menuBar()->actions()) {
            if (top->menu() != nullptr) {
                menus.push_back(top->menu());
            }
        }
        for (int n = 1; n <= 4; ++n) {
            menus.push_back(m_window->popupMenu(n));
        }
        for (size_t at = 0; at < menus.size(); ++at) {
            QMenu* menu = menus[at];
            QHash<QChar, QString> taken;
            for (QAction* item : menu->actions()) {
                if (item->menu() != nullptr) {
                    menus.push_back(item->menu());
                }
                const QString text = item->text();
                const qsizetype amp = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
                if (item->isSeparator() || amp < 0 || !item->isVisible()) {
                    continue;
                }
                const QChar key = text.at(amp + 1).toLower();
                QVERIFY2(!taken.contains(key),
                    qPrintable(QStringLiteral("%1: %2 and %3").arg(menu->objectName(), taken.value(key), text)));
                taken.insert(key, text);
            }
        }
        QVERIFY(menus.size() > 10);
    }
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
