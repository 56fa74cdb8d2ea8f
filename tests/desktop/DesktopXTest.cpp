#include <QProcess>
#include <QtTest>

#include "app/Startup.h"
#include "explorer/WindowFixture.h"
#include "explorer/dialogs/frmConfirmDelete.h"

using namespace brindlex;

namespace {

// The title an X window has for the window manager (_NET_WM_NAME), as xprop reads it.
QString netWmName(const QWidget& window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
        { QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("-notype"),
            QStringLiteral("_NET_WM_NAME") });
    if (!xprop.waitForFinished(10000)) {
        return QStringLiteral("(xprop did not answer)");
    }
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype first = line.indexOf(QLatin1Char('"'));
    const qsizetype last = line.lastIndexOf(QLatin1Char('"'));
    return first >= 0 && last > first ? line.mid(first + 1, last - first - 1) : line;
}

}  // namespace

// The windows on an X server, with the application set up as the program sets it up.
class DesktopXTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        configureApplication();
    }
    void init() { makeWorld(); }
    void cleanup() { close(); }

    // Qt used to append " — Brindlex" to every title: "Brindlex - NewDB — Brindlex",
    // "Confirm Item Delete — Brindlex".
    void titlesAreThePrograms()
    {
        m_world->settings->set("Browser", "DisplayPath", "1");
        open();
        QTRY_COMPARE(netWmName(*m_window), QStringLiteral("Brindlex - NewDB"));
        frmConfirmDelete dialog(QStringLiteral("Delete?"), m_window.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(netWmName(dialog), QStringLiteral("Confirm Item Delete"));
    }
};

QTEST_MAIN(DesktopXTest)
#include "DesktopXTest.moc"
