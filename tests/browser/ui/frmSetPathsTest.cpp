#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "browser/ui/frmSetPaths.h"
#include "fakes/FakePlatform.h"
#include "settings/OptionsHost.h"
#include "settings/SettingsStore.h"

using namespace brindlex;

class frmSetPathsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensWithStoredPathsAndOkStoresAll()
    {
        MemorySettings settings;
        test::FakeMessageBoxes messages;
        ProgramOptions options;
        settings.set("Browsers", "netscapepath", "/opt/netscape/netscape");
        settings.set("Browsers", "SpryMosaicPath", "/opt/spry/airmos");
        frmSetPaths dialog(settings, messages, options);
        QCOMPARE(dialog.Text1[0]->text(), QString("/opt/netscape/netscape"));
        QCOMPARE(dialog.Text1[1]->text(), QString());
        QCOMPARE(dialog.Text1[3]->text(), QString("/opt/spry/airmos"));

        dialog.Text1[1]->setText("/opt/ie/iexplore");
        dialog.Text1[3]->clear();
        dialog.cmdOK->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(settings.get("Browsers", "NetscapePath", "?"), std::string("/opt/netscape/netscape"));
        QCOMPARE(settings.get("Browsers", "IexplorerPath", "?"), std::string("/opt/ie/iexplore"));
        QVERIFY(settings.contains("Browsers", "EMosaicPath"));
        QCOMPARE(settings.get("Browsers", "SpryMosaicPath", "?"), std::string());
    }

    void cancelStoresNothing()
    {
        MemorySettings settings;
        test::FakeMessageBoxes messages;
        ProgramOptions options;
        frmSetPaths dialog(settings, messages, options);
        dialog.Text1[0]->setText("/x");
        dialog.cmdCancel->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!settings.contains("Browsers", "NetscapePath"));
    }

    void browseChoosesTheBoxByFileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("box");  // -1: no box changes
        QTest::addColumn<bool>("unknown");
        QTest::newRow("upper case, backslashes") << "C:\\Apps\\NETSCAPE.EXE" << 0 << false;
        QTest::newRow("explorer") << "/opt/ie/iexplore.exe" << 1 << false;
        QTest::newRow("spyglass") << "/opt/spyglass/EMosaic.exe" << 2 << false;
        QTest::newRow("spry") << "/opt/spry/AirMos.exe" << 3 << false;
        QTest::newRow("other program") << "C:\\Apps\\navigator.exe" << -1 << true;
        QTest::newRow("folder named like a browser") << "/opt/netscape.exe/run" << -1 << true;
        QTest::newRow("firefox") << "/usr/bin/firefox" << 0 << false;
        QTest::newRow("firefox esr") << "/usr/lib/firefox-esr/firefox-esr" << 0 << false;
        QTest::newRow("chromium") << "/usr/bin/chromium" << 1 << false;
        QTest::newRow("chrome") << "/opt/google/chrome/google-chrome" << 1 << false;
        QTest::newRow("chrome stable") << "/usr/bin/google-chrome-stable" << 1 << false;
        QTest::newRow("edge") << "/usr/bin/microsoft-edge" << 1 << false;
        QTest::newRow("brave") << "/usr/bin/brave-browser" << 1 << false;
        QTest::newRow("script beside firefox") << "/usr/bin/firefox.sh" << -1 << true;
        QTest::newRow("cancelled") << "" << -1 << false;
    }
    void browseChoosesTheBoxByFileName()
    {
        QFETCH(QString, chosen);
        QFETCH(int, box);
        QFETCH(bool, unknown);
        MemorySettings settings;
        test::FakeMessageBoxes messages;
        ProgramOptions options;
        frmSetPaths dialog(settings, messages, options);
        dialog.setFileChooser([&] { return chosen; });
        dialog.cmdBrowse->click();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(dialog.Text1[i]->text(), i == box ? chosen : QString());
        }
        QCOMPARE(messages.shown.size(), size_t(unknown ? 1 : 0));
        if (unknown) {
            QCOMPARE(messages.shown[0].title, std::string("Unknown File"));
            QCOMPARE(messages.shown[0].text, std::string("Invalid Browser Path... "));
        }
        QVERIFY(!settings.contains("Browsers", "NetscapePath"));  // stored only by OK
    }
};

QTEST_MAIN(frmSetPathsTest)
#include "frmSetPathsTest.moc"
