#include <memory>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "app/frmSplash.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/HelpWindow.h"
#include "explorer/WindowFixture.h"
#include "explorer/dialogs/frmAbout.h"
#include "explorer/frmTarnwell.h"
#include "settings/ui/frmOptions.h"

using namespace brindlex;

// The parts of the main window around the panes: the start-up steps the splash window
// follows, the tray icon and its popup, starting minimised, the about box and the manual.
class WindowServicesTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { makeWorld(); }
    void cleanup() { close(); }

    void loadReportsTheStartUpStepsInOrder()
    {
        std::vector<int> steps;
        load([&steps](int value) { steps.push_back(value); });
        const std::vector<int> expected { 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 99 };
        QCOMPARE(steps, expected);

        frmSplash splash;
        splash.setStep(45);
        QCOMPARE(splash.PB1()->value(), 45);
    }

    void trayIconFollowsTrayFlag()
    {
        load();
        QVERIFY(!m_window->TN1());
        m_window->setTrayFlag(1);
        QVERIFY(m_window->TN1());
        QCOMPARE(m_window->TN1()->toolTip(), QStringLiteral("Brindlex"));
        m_window->setTrayFlag(0);
        QVERIFY(!m_window->TN1());
    }

    void startMinimisedWithTheTrayHidesTheWindowAndAClickBringsItBack()
    {
        m_world->settings->set("Browser", "TrayFlag", "1");
        m_world->settings->set("Browser", "StartMin", "1");
        load();
        QVERIFY(m_window->TN1());
        QTRY_VERIFY(!m_window->isVisible());

        Q_EMIT m_window->TN1()->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(m_window->isVisible());
        QVERIFY(!m_window->isMinimized());

        // Minimising the running window hides it into the tray again.
        m_window->showMinimized();
        QTRY_VERIFY(!m_window->isVisible());
    }

    void startMinimisedWithoutTheTrayShowsTheWindow()
    {
        m_world->settings->set("Browser", "StartMin", "1");
        load();
        QVERIFY(!m_window->TN1());
        QVERIFY(m_window->isVisible());
    }

    void withoutATrayTheWindowMinimisesAndTheStoredFlagStays()
    {
        m_world->trayAvailable = false;
        m_world->settings->set("Browser", "TrayFlag", "1");
        m_world->settings->set("Browser", "StartMin", "1");
        load();
        QVERIFY(!m_window->TN1());
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->isMinimized());

        m_window->showNormal();
        m_window->showMinimized();
        QSignalSpy tick(m_window->findChild<QTimer*>(QStringLiteral("SizeTimer")), &QTimer::timeout);
        QVERIFY(tick.wait());
        QVERIFY(m_window->isVisible());

        // Options shows the stored choice greyed, says why, and OK keeps it.
        bool greyed = false;
        bool checked = false;
        QString why;
        QTimer::singleShot(0, this, [&] {
            auto* options = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (options) {
                greyed = !options->chkTray->isEnabled();
                checked = options->chkTray->isChecked();
                why = options->chkTray->toolTip();
                options->Command1->click();
            }
        });
        m_window->action(QStringLiteral("mnuView4_1"))->trigger();
        QVERIFY(greyed && checked);
        QVERIFY(why.contains(QStringLiteral("no system tray")));
        QCOMPARE(m_window->TrayFlag(), 1);
        QVERIFY(!m_window->TN1());
        closeWindow();
        QCOMPARE(m_world->settings->get("Browser", "TrayFlag", "?"), std::string("1"));
    }

    void aTrayThatGoesAwayGivesTheWindowBackAndOneThatComesIsUsed()
    {
        m_world->settings->set("Browser", "TrayFlag", "1");
        load();
        m_window->showMinimized();
        QTRY_VERIFY(!m_window->isVisible());

        m_world->trayAvailable = false;
        QTRY_VERIFY(m_window->isVisible());
        QVERIFY(m_window->isMinimized());
        QVERIFY(!m_window->TN1());

        m_world->trayAvailable = true;
        QTRY_VERIFY(m_window->TN1());
        m_window->showNormal();
        m_window->showMinimized();
        QTRY_VERIFY(!m_window->isVisible());
    }

    void trayPopupRestoresAndCloseUnloadsOnTheNextTimerTick()
    {
        m_world->settings->set("Browser", "TrayFlag", "1");
        load();
        m_window->hide();
        QAction* restore = m_window->action(QStringLiteral("mnuRestore"));
        bool restoreWasEnabled = false;
        QTimer::singleShot(0, this, [&] {
            restoreWasEnabled = restore->isEnabled();
            restore->trigger();
            m_window->popupMenu(4)->close();
        });
        Q_EMIT m_window->TN1()->activated(QSystemTrayIcon::Context);
        QVERIFY(restoreWasEnabled);
        QCOMPARE(m_window->trayCommand(), 0);
        QVERIFY(m_window->isVisible());

        // Shown: Restore is disabled in the popup.
        QTimer::singleShot(0, this, [&] {
            restoreWasEnabled = restore->isEnabled();
            m_window->popupMenu(4)->close();
        });
        Q_EMIT m_window->TN1()->activated(QSystemTrayIcon::Context);
        QVERIFY(!restoreWasEnabled);
        QCOMPARE(m_window->trayCommand(), 2);

        // Close runs the shutdown sequence with its save question on the next tick.
        m_world->fakes.messages.answerNext(Answer::No);
        m_window->action(QStringLiteral("mnuClose"))->trigger();
        QCOMPARE(m_window->trayCommand(), 1);
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_world->fakes.messages.shown.back().title, std::string("Save Database ?"));
        m_window.reset();
    }

    void theWindowStaysOpenWhileLongWorkRuns()
    {
        m_world->settings->set("Browser", "TrayFlag", "1");
        load();
        m_window->beginLongWork();
        const int beeps = m_world->fakes.messages.beeps;
        QVERIFY(!m_window->close());
        QCOMPARE(m_world->fakes.messages.beeps, beeps + 1);
        QVERIFY(m_world->fakes.messages.shown.empty());  // no save question either

        // The tray's Close waits for the work to end, then runs the shutdown sequence.
        m_window->action(QStringLiteral("mnuClose"))->trigger();
        // The tray's choice is acted on by the size timer: a tick passes and the window stays.
        QSignalSpy tick(m_window->findChild<QTimer*>(QStringLiteral("SizeTimer")), &QTimer::timeout);
        QVERIFY(tick.wait());
        QVERIFY(m_window->isVisible());
        m_world->fakes.messages.answerNext(Answer::No);
        m_window->endLongWork();
        QTRY_VERIFY(!m_window->isVisible());
        m_window.reset();
    }

    void aboutBoxNamesTheProgram()
    {
        load();
        QString title;
        QString description;
        QTimer::singleShot(0, this, [&] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            if (about) {
                title = about->findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
                description = about->findChild<QLabel*>(QStringLiteral("lblDescription"))->text();
                about->accept();
            }
        });
        m_window->action(QStringLiteral("mnuAbout"))->trigger();
        QCOMPARE(title, QStringLiteral("Brindlex"));
        QCOMPARE(description, QStringLiteral("Web Resource Organizer"));
    }

    void helpContentsShowsTheShippedManual()
    {
        load();
        m_window->action(QStringLiteral("mnuHelpCon"))->trigger();
        auto* help = m_window->findChild<HelpWindow*>();
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Brindlex")));
        // A second request reuses the one window.
        m_window->action(QStringLiteral("mnuHelpCon"))->trigger();
        QCOMPARE(m_window->findChildren<HelpWindow*>().size(), qsizetype(1));
    }

private:
    void load(const std::function<void(int)>& progress = {})
    {
        m_window = std::make_unique<frmTarnwell>(m_world->services());
        m_window->Load(progress);
    }
};

QTEST_MAIN(WindowServicesTest)
#include "WindowServicesTest.moc"
