#include <QLabel>
#include <QPixmap>
#include <QtTest>

#include "browser/ui/frmBLoad.h"
#include "settings/OptionsHost.h"

using namespace brindlex;

class frmBLoadTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void namesTheBrowserOverItsOwnerInTheProgramFont()
    {
        QWidget owner;
        ProgramOptions options;
        options.ProgramFont = "Courier";
        options.ProgramFontSize = 13;
        QPixmap picture(32, 32);
        picture.fill(Qt::red);
        frmBLoad loading("Spry Mosaic", picture, options, &owner);
        QCOMPARE(loading.windowTitle(), QStringLiteral("Loading..."));
        QCOMPARE(loading.Label1->text(), QStringLiteral("Loading Spry Mosaic"));
        QCOMPARE(loading.Picture1->pixmap().size(), QSize(32, 32));
        QCOMPARE(loading.parentWidget(), &owner);
        QVERIFY(loading.isWindow());
        QCOMPARE(loading.Label1->font().family(), QStringLiteral("Courier"));
        QCOMPARE(loading.Label1->font().pointSize(), 13);
    }

    void aBrowserWithoutAPictureShowsNone()
    {
        ProgramOptions options;
        frmBLoad loading("System Clipboard", QPixmap(), options, nullptr);
        QCOMPARE(loading.Label1->text(), QStringLiteral("Loading System Clipboard"));
        QVERIFY(loading.Picture1->pixmap().isNull());
    }
};

QTEST_MAIN(frmBLoadTest)
#include "frmBLoadTest.moc"
