#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FindCommands.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/dialogs/frmFind.h"
#include "explorer/dialogs/frmGoToFolder.h"
#include "explorer/frmTarnwell.h"
#include "settings/ProgramSettings.h"

using namespace brindlex;

namespace {

// Lets a test act in the middle of a search: the armed action runs once, at the next
// event pass.
class ActingEvents : public EventPump
{
public:
    void processEvents() override
    {
        if (action) {
            const std::function<void()> run = std::move(action);
            action = nullptr;
            run();
        }
    }
    std::function<void()> action;
};

}  // namespace

class FindDialogsTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_events = std::make_unique<ActingEvents>();
        open(m_events.get());
        LinkStore& store = m_world->store;
        store.CreateEntry(false, "news:comp", 5, "News", "News", "");
        m_sport = store.CreateEntry(true, "", 6, "Sport", "Folder", "");
        store.CreateEntry(false, "http://t/", 5, "Tunes", "Http", "");
        store.SetCurrentFolder(*store.FindFolder(m_sport));
        m_deep = store.CreateEntry(true, "", 6, "Deep", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(m_deep));
        m_deepest = store.CreateEntry(true, "", 6, "Deepest", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(m_deepest));
        store.CreateEntry(false, "http://first/", 5, "Other", "Http", "desc");
        m_target = store.CreateEntry(false, "http://n/", 5, "NEWS", "Http", "desc");
        store.SetCurrentFolder(store.Root());
        store.CreateEntry(false, "http://2/", 5, "News 2", "Http", "");
        m_window->RefreshPanes(true);
    }
    void cleanup()
    {
        close();
        m_events.reset();
    }

    void findButtonFollowsTheText()
    {
        frmFind* find = openFind();
        QVERIFY(!find->Command1()->isEnabled());
        QCOMPARE(find->Combo1()->currentIndex(), 0);
        QCOMPARE(find->Combo1()->count(), 11);
        QTest::keyClicks(find->Text1(), "n");
        QVERIFY(find->Command1()->isEnabled());
        find->Text1()->clear();
        QVERIFY(!find->Command1()->isEnabled());
    }

    void searchesByCaseAndContainedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("containing");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("exact without case") << "news" << false << false << QStringList { "News", "NEWS" };
        QTest::newRow("exact with case") << "NEWS" << true << false << QStringList { "NEWS" };
        QTest::newRow("containing") << "ne" << false << true << QStringList { "News", "NEWS", "Tunes", "News 2" };
        QTest::newRow("nothing") << "none" << false << false << QStringList {};
    }
    void searchesByCaseAndContainedText()
    {
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(bool, containing);
        QFETCH(QStringList, names);
        frmFind* find = openFind();
        QTest::keyClicks(find->Text1(), text);
        find->Check1()->setChecked(matchCase);
        find->Check2()->setChecked(containing);
        QTest::keyClick(find->Text1(), Qt::Key_Return);  // Enter is Find
        QStringList found;
        for (int n = 0; n < find->ListView1()->topLevelItemCount(); ++n) {
            found << find->ListView1()->topLevelItem(n)->text(frmFind::NameColumn);
        }
        // Depth first: the sub-sub-folder's result comes before the root's later entries.
        QCOMPARE(found, names);
        QCOMPARE(find->statusPanel()->text(), QString::number(names.size()) + " item(s) found");
    }

    void resultRowsAppearWhileTheSearchGoesOn()
    {
        // The rows used to be added only when the whole search had ended.
        frmFind* find = openFind();
        QTest::keyClicks(find->Text1(), "news");
        QStringList seen;  // at each event pass: rows shown | status
        std::function<void()> watch = [&] {
            seen << QString::number(find->ListView1()->topLevelItemCount()) + " | " + find->statusPanel()->text();
            m_events->action = watch;
        };
        m_events->action = watch;
        find->Command1()->click();
        m_events->action = nullptr;
        // The root's "News" is on the list as soon as the search goes on into Sport.
        QVERIFY2(seen.contains(QStringLiteral("1 | Searching NewDB\\Sport. . .")), qPrintable(seen.join('/')));
        QCOMPARE(find->ListView1()->topLevelItemCount(), 2);
        QCOMPARE(find->ListView1()->topLevelItem(1)->text(frmFind::URLColumn), QStringLiteral("http://n/"));
        QCOMPARE(find->statusPanel()->text(), QStringLiteral("2 item(s) found"));
    }

    void findAndGoToIgnoreCaseInEveryScript()
    {
        // Only ASCII and Latin-1 letters used to be folded.
        LinkStore& store = m_world->store;
        store.CreateEntry(false, "http://habr/", 5, "\u0425\u0430\u0431\u0440", "Http", "");  // Хабр
        const std::string skoda = store.CreateEntry(true, "", 6, "\u0160KODA", "Folder", "");  // ŠKODA
        m_window->RefreshPanes(true);
        frmFind* find = openFind();
        find->Text1()->setText(QStringLiteral("\u0445\u0430\u0431\u0440"));  // хабр
        find->Command1()->click();
        QCOMPARE(find->ListView1()->topLevelItemCount(), 1);
        QCOMPARE(find->ListView1()->topLevelItem(0)->text(frmFind::URLColumn), QStringLiteral("http://habr/"));
        find->close();

        frmGoToFolder dialog(
            m_window->panes(), m_window->dialogs(), m_window->programSettings(), m_world->fakes.messages);
        dialog.show();
        dialog.Combo1()->lineEdit()->setText(QStringLiteral("NEWDB\\\u0161koda"));  // škoda
        QTest::keyClick(dialog.Combo1()->lineEdit(), Qt::Key_Return);
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(store.CurrentFolder().id, skoda);
    }

    void clickedResultShowsItsFolderAndSelectsTheEntry()
    {
        frmFind* find = openFind();
        QTest::keyClicks(find->Text1(), "NEWS");
        find->Check1()->setChecked(true);
        find->Command1()->click();
        QCOMPARE(find->ListView1()->topLevelItemCount(), 1);
        QTreeWidgetItem* row = find->ListView1()->topLevelItem(0);
        QCOMPARE(row->text(frmFind::InFolderColumn), QStringLiteral("NewDB\\Sport\\Deep\\Deepest"));
        QCOMPARE(row->text(frmFind::URLColumn), QStringLiteral("http://n/"));
        const QRect rect = find->ListView1()->visualItemRect(row);
        QTest::mouseClick(find->ListView1()->viewport(), Qt::LeftButton, {}, rect.center());

        QCOMPARE(m_world->store.CurrentFolder().id, m_deepest);
        QCOMPARE(m_window->selectedNodeKey(), m_deepest);
        // The folder box and the object count show it too.
        QCOMPARE(m_window->TreeView3()->topLevelItem(0)->text(0), QStringLiteral("Deepest"));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("2 object(s)"));
        QCOMPARE(m_window->ListView1()->selectedIds(), std::vector<std::string> { m_target });
        // The dialog's own refill leaves Description empty and keeps the list's order.
        const ContentsModel& model = m_window->ListView1()->model();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.row(0).Name, std::string("Other"));
        QCOMPARE(model.row(0).Description, std::string());
        QTRY_VERIFY(m_window->ListView1()->hasFocus());

        // A folder result shows its parent with the folder entry selected, focus on the tree.
        find->Text1()->setText("Deep");
        find->Command1()->click();
        row = find->ListView1()->topLevelItem(0);
        QCOMPARE(row->text(frmFind::TypeColumn), QStringLiteral("Folder"));
        find->ShowFindResult(row);
        QCOMPARE(m_world->store.CurrentFolder().id, m_sport);
        QCOMPARE(m_window->ListView1()->selectedIds(), std::vector<std::string> { m_deep });
        QCOMPARE(
            model.row(model.findId(QString::fromStdString(m_deep))).Name, std::string("Deep"));  // no leading blank
        QTRY_VERIFY(m_window->TreeView1()->hasFocus());
    }

    void escapeClosesFind()
    {
        QPointer<frmFind> find = openFind();
        QTest::keyClick(find->Text1(), Qt::Key_Escape);
        QTRY_VERIFY(find.isNull());
    }

    void goToMatchesRootWordAndPathsInAnyCase_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root word in capitals") << "BRINDLEXES"
                                               << "RootFolder";
        QTest::newRow("path in other case") << "newdb\\SPORT\\deep"
                                            << "deep";
    }
    void goToMatchesRootWordAndPathsInAnyCase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        LinkStore& store = m_world->store;
        store.SetCurrentFolder(*store.FindFolder(m_deepest));
        frmGoToFolder dialog(
            m_window->panes(), m_window->dialogs(), m_window->programSettings(), m_world->fakes.messages);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!dialog.Command1()->isEnabled());
        QTest::keyClicks(dialog.Combo1()->lineEdit(), typed);
        QVERIFY(dialog.Command1()->isEnabled());
        QTest::keyClick(dialog.Combo1()->lineEdit(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));  // Enter is OK
        QVERIFY(!dialog.isVisible());
        const std::string id = expected == "deep" ? m_deep : std::string("RootFolder");
        QCOMPARE(store.CurrentFolder().id, id);
        QCOMPARE(m_window->selectedNodeKey(), id);
        QCOMPARE(m_window->TreeView3()->topLevelItem(0)->text(0).toStdString(), store.CurrentFolder().Caption);
        QCOMPARE(m_window->statusPanel(1)->text(),
            QString::number(store.CurrentFolder().FolderItems.size()) + QStringLiteral(" object(s)"));
        QCOMPARE(m_window->programSettings().pathHistory().front(), typed.toStdString());
    }

    void goToUnknownPathSaysSoAndStaysOpen()
    {
        frmGoToFolder dialog(
            m_window->panes(), m_window->dialogs(), m_window->programSettings(), m_world->fakes.messages);
        dialog.show();
        QTest::keyClicks(dialog.Combo1()->lineEdit(), "NewDB\\Nowhere");
        dialog.Command1()->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_world->store.CurrentFolder().id, std::string("RootFolder"));
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        const auto& box = m_world->fakes.messages.shown[0];
        QCOMPARE(box.title, std::string("Go To Folder"));
        QCOMPARE(box.text, std::string("Cannot find 'NewDB\\Nowhere'. Make sure path and filename are correct."));
        QVERIFY(box.icon == MessageIcon::Critical);
        QVERIFY(m_window->programSettings().pathHistory().empty());
    }

    void goToHistoryIsReadAndKeptToTen()
    {
        std::vector<std::string> rows;
        for (int n = 0; n < 10; ++n) {
            rows.push_back("NewDB\\Sport" + std::string(n == 0 ? "" : "\\x" + std::to_string(n)));
        }
        m_window->programSettings().savePathHistory(rows);
        {
            frmGoToFolder dialog(
                m_window->panes(), m_window->dialogs(), m_window->programSettings(), m_world->fakes.messages);
            QCOMPARE(dialog.Combo1()->count(), 10);
            QCOMPARE(dialog.Combo1()->itemText(0).toStdString(), rows[0]);  // most recent first
            QCOMPARE(dialog.Combo1()->itemText(9).toStdString(), rows[9]);
            QVERIFY(dialog.Combo1()->currentText().isEmpty());
            QVERIFY(!dialog.Command1()->isEnabled());
            dialog.Combo1()->setCurrentIndex(0);
            Q_EMIT dialog.Combo1()->activated(0);
            QVERIFY(dialog.Command1()->isEnabled());
            dialog.Command1()->click();  // already held: nothing moves
        }
        QCOMPARE(m_window->programSettings().pathHistory(), rows);
        {
            frmGoToFolder dialog(
                m_window->panes(), m_window->dialogs(), m_window->programSettings(), m_world->fakes.messages);
            dialog.Combo1()->setEditText("brindlexes");
            dialog.Command1()->click();  // an eleventh path drops the oldest
        }
        // As the next start of the program reads it back from the settings file.
        const auto reopened = m_world->reopenSettings();
        QCOMPARE(reopened->get("GoToFolder", "PathHistory0", "?"), std::string("brindlexes"));
        QCOMPARE(reopened->get("GoToFolder", "PathHistory1", "?"), rows[0]);
        QCOMPARE(reopened->get("GoToFolder", "PathHistory9", "?"), rows[8]);
        QCOMPARE(ProgramSettings(*reopened).pathHistory().size(), size_t(10));
    }

    void findClosesWhenTheMainWindowUnloads()
    {
        QPointer<frmFind> find = openFind();
        m_world->fakes.messages.answerNext(Answer::No);
        QVERIFY(m_window->close());
        QTRY_VERIFY(find.isNull());
    }

    void unloadDuringASearchStopsItAndClosesFind()
    {
        // The search lets events run; the main window can be unloaded in one of them (the
        // tray's Close acts from a timer). The dialog used to refuse to close then and
        // stayed open after the main window had gone.
        QPointer<frmFind> find = openFind();
        QTest::keyClicks(find->Text1(), "news");
        m_events->action = [this] {
            m_world->fakes.messages.answerNext(Answer::No);
            m_window->close();
        };
        find->Command1()->click();
        QVERIFY(!m_events->action);
        QTRY_VERIFY(find.isNull());
    }

    void cancelDuringASearchClosesFindWhenTheSearchEnds()
    {
        QPointer<frmFind> find = openFind();
        QTest::keyClicks(find->Text1(), "news");
        m_events->action = [find] {
            QVERIFY(find->isVisible());
            find->Command3()->click();
        };
        find->Command1()->click();
        QVERIFY(!m_events->action);
        QTRY_VERIFY(find.isNull());
        QVERIFY(m_window->isVisible());
    }

    void findFollowsItsSizeWithButtonsAtTheRight()
    {
        frmFind* find = openFind();
        const QRect button = find->Command1()->geometry();
        const QRect list = find->ListView1()->geometry();
        const QRect text = find->Text1()->geometry();
        const int wider = 120;
        const int taller = 80;
        find->resize(find->width() + wider, find->height() + taller);
        QTRY_COMPARE(find->Command1()->x(), button.x() + wider);
        QCOMPARE(find->Command3()->x(), find->Command1()->x());
        QVERIFY(qAbs(find->ListView1()->width() - (list.width() + wider)) <= 1);
        QVERIFY(qAbs(find->ListView1()->height() - (list.height() + taller)) <= 1);
        QVERIFY(qAbs(find->Text1()->width() - (text.width() + wider)) <= 1);
        QCOMPARE(find->ListView1()->y(), list.y());
    }

    void keysOpenFindAndGoTo()
    {
        m_window->TreeView1()->setFocus();
        QTest::keyClick(m_window->TreeView1(), Qt::Key_F3);
        auto* commands = m_window->findChild<FindCommands*>();
        QVERIFY(commands->findDialog() != nullptr);
        QVERIFY(commands->findDialog()->isVisible());
        commands->findDialog()->close();

        // Ctrl+G opens Go To modally; it is answered from inside its own event loop.
        bool opened = false;
        QTimer::singleShot(0, this, [&opened] {
            auto* dialog = qobject_cast<frmGoToFolder*>(QApplication::activeModalWidget());
            opened = dialog != nullptr;
            if (dialog != nullptr) {
                dialog->Combo1()->setEditText(QStringLiteral("brindlexes"));
                dialog->Command1()->click();
            }
        });
        m_world->store.SetCurrentFolder(*m_world->store.FindFolder(m_deep));
        m_window->TreeView1()->setFocus();
        QTest::keyClick(m_window->TreeView1(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(opened);
        QCOMPARE(m_world->store.CurrentFolder().id, std::string("RootFolder"));
    }

    void menuCommandsOpenTheDialogs()
    {
        QAction* find = m_window->action(QStringLiteral("mnuFind"));
        QVERIFY(find->isEnabled());
        find->trigger();
        auto* commands = m_window->findChild<FindCommands*>();
        QVERIFY(commands != nullptr && commands->findDialog() != nullptr);
        QVERIFY(commands->findDialog()->isVisible());
        QVERIFY(!commands->findDialog()->isModal());
        QVERIFY(m_window->action(QStringLiteral("mnuGoTo"))->isEnabled());
    }

private:
    frmFind* openFind()
    {
        m_window->action(QStringLiteral("mnuFind"))->trigger();
        frmFind* find = m_window->findChild<FindCommands*>()->findDialog();
        [&] { QVERIFY(find != nullptr && QTest::qWaitForWindowExposed(find)); }();
        return find;
    }

    std::unique_ptr<ActingEvents> m_events;
    std::string m_sport;
    std::string m_deep;
    std::string m_deepest;
    std::string m_target;
};

QTEST_MAIN(FindDialogsTest)
#include "FindDialogsTest.moc"
