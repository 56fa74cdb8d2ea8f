#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/FolderTree.h"
#include "explorer/WindowFixture.h"
#include "explorer/frmTarnwell.h"
#include "fakes/StoreHelpers.h"
#include "formats/HtmlLinks.h"
#include "formats/ImportExport.h"
#include "formats/MosaicHotlist.h"
#include "formats/NetscapeFormat.h"
#include "formats/SpryHotlist.h"
#include "formats/ui/frmExport.h"
#include "formats/ui/frmImport.h"
#include "store/DatabaseFile.h"
#include "store/ListRow.h"

using namespace brindlex;
using brindlex::test::FakeFileDialogs;

namespace fs = std::filesystem;

namespace {

// Whether the first filter of a dialog (the one it opens with) shows a file of this name:
// the patterns are the last parenthesised words, matched as a file dialog matches them.
bool firstFilterShows(const std::string& filter, const QString& name)
{
    const QString first = QString::fromStdString(filter).section(QStringLiteral(";;"), 0, 0);
    const qsizetype open = first.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !first.endsWith(QLatin1Char(')'))) {
        return false;
    }
    const QStringList patterns = first.mid(open + 1, first.size() - open - 2).split(QLatin1Char(' '));
    return QDir::match(patterns, name);
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* const NetscapeFile = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
                                 "<TITLE>Bookmarks</TITLE>\r\n"
                                 "<H1>Bookmarks</H1>\r\n"
                                 "<DL><p>\r\n"
                                 "    <DT><A HREF=\"http://home.example/\" ADD_DATE=\"846383416\">Home</A>\r\n"
                                 "    <DT><H3 ADD_DATE=\"846383500\">Search</H3>\r\n"
                                 "    <DL><p>\r\n"
                                 "        <DT><A HREF=\"http://find.example/\" ADD_DATE=\"846383516\">Finder</A>\r\n"
                                 "    </DL><p>\r\n"
                                 "</DL><p>\r\n";

// Records, each time the reader lets events run, which window is modal.
class WatchingEvents : public EventPump
{
public:
    void processEvents() override
    {
        QWidget* modal = QApplication::activeModalWidget();
        modalNames.push_back(modal ? modal->objectName() : QString());
    }
    std::vector<QString> modalNames;
};

}  // namespace

class ImportExportCommandsTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        open(&m_events);
        m_world->fakes.messages.shown.clear();
    }
    void cleanup() { close(); }

    void importDialogsAskAsTheMenuSays()
    {
        struct Case
        {
            const char* menu;
            FakeFileDialogs::Kind kind;
            const char* title;
            const char* filter;
            const char* initialName;
            const char* suffix;
        };
        const Case cases[] = {
            { "mnuImpBDX", FakeFileDialogs::Kind::Open, "Import a Brindlex Database file",
                "Brindlex Database Files (*.BDX);;All Files (*)", "*.BDX", "bdx" },
            // HTML-based files are matched as ".html" too (the Netscape dialog used to hide
            // the bookmarks.html every browser writes); every open dialog offers all files.
            { "mnuImpNetscape", FakeFileDialogs::Kind::Open, "Import a Netscape Bookmark file",
                "Netscape HTM Bookmark Files (*.HTM) (*.HTM *.HTML);;All Files (*)", "*.HTM", "htm" },
            { "mnuImpIexplore", FakeFileDialogs::Kind::OpenMany, "Import MS Internet Explorer Url Files",
                "MS Internet Explorer URL files (*.URL);;All Files (*)", "*.URL", "url" },
            { "mnuImpMosaic", FakeFileDialogs::Kind::Open, "Import a NCSA Mosaic Hotlist file",
                "NCSA Mosaic Hotlist Files (*.HOT);;All Files (*)", "*.HOT", "hot" },
            { "mnuImpSpyglass", FakeFileDialogs::Kind::Open, "Import a Spyglass Mosaic Hotlist file",
                "Spyglass HTM Hotlist Files (*.HTM) (*.HTM *.HTML);;All Files (*)", "*.HTM", "htm" },
            { "mnuImpSpry", FakeFileDialogs::Kind::Open, "Import a Spry Mosaic Hotlist file",
                "Spry Mosaic Hotlist Files (*.HOT);;All Files (*)", "*.HOT", "hot" },
            // The description names two patterns with a comma; the dialog gets them spelled out.
            { "mnuImpHTML", FakeFileDialogs::Kind::Open, "Extract URLs from an HTML File",
                "HTML Files (*.HTM,*.HTML) (*.HTM *.HTML);;All Files (*)", "*.HTM", "htm" },
        };
        for (const Case& c : cases) {
            QVERIFY2(action(c.menu)->isEnabled(), c.menu);
            m_world->fileDialogs.asked.clear();
            action(c.menu)->trigger();  // cancelled: nothing scripted
            QCOMPARE(m_world->fileDialogs.asked.size(), size_t(1));
            const auto& asked = m_world->fileDialogs.asked[0];
            QVERIFY2(asked.kind == c.kind, c.menu);
            QCOMPARE(QString::fromStdString(asked.request.title), QString::fromLatin1(c.title));
            QCOMPARE(QString::fromStdString(asked.request.filter), QString::fromLatin1(c.filter));
            QCOMPARE(QString::fromStdString(asked.request.fileName), QString::fromLatin1(c.initialName));
            QCOMPARE(QString::fromStdString(asked.request.defaultSuffix), QString::fromLatin1(c.suffix));
            const QString menu = QString::fromLatin1(c.menu);
            if (menu == QLatin1String("mnuImpNetscape") || menu == QLatin1String("mnuImpHTML")
                || menu == QLatin1String("mnuImpSpyglass")) {
                QVERIFY2(firstFilterShows(asked.request.filter, QStringLiteral("bookmarks.html")), c.menu);
                QVERIFY2(firstFilterShows(asked.request.filter, QStringLiteral("OLD.HTM")), c.menu);
                QVERIFY2(!firstFilterShows(asked.request.filter, QStringLiteral("notes.txt")), c.menu);
            }
        }
        // Cancelling says nothing and changes nothing.
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(QString::fromStdString(test::describe(m_world->store)), QString());
    }

    void extensionIsCheckedOnTheLowerCasedPath()
    {
        struct Case
        {
            const char* menu;
            const char* fileName;
            const char* message;  // nullptr: accepted and read
        };
        const Case cases[] = {
            { "mnuImpNetscape", "notes.txt", "Invalid File Format. Must be *.HTM or *.HTML" },
            { "mnuImpNetscape", "list.HTML", nullptr },
            { "mnuImpHTML", "page.txt", "Invalid File Format. Must be *.HTM or *.HTML" },
            { "mnuImpSpyglass", "hot.txt", "Invalid File Format. Must be *.HTM" },
            { "mnuImpMosaic", "hot.htm", "Invalid File Format. Must be *.HOT" },
            { "mnuImpSpry", "spry.txt", "Invalid File Format. Must be *.HOT" },
            { "mnuImpBDX", "links.txt", "Invalid File Format. Must be *.BDX" },
        };
        for (const Case& c : cases) {
            const std::string path = write(c.fileName, NetscapeFile);
            m_world->fakes.messages.shown.clear();
            const std::string before = test::describe(m_world->store);
            m_world->fileDialogs.answerNext(path);
            action(c.menu)->trigger();
            if (c.message == nullptr) {
                QVERIFY2(m_world->fakes.messages.shown.empty(), c.fileName);
                QVERIFY(test::describe(m_world->store) != before);
                continue;
            }
            QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
            const auto& shown = m_world->fakes.messages.shown[0];
            QCOMPARE(QString::fromStdString(shown.title), QStringLiteral("Error"));
            QCOMPARE(QString::fromStdString(shown.text), QString::fromLatin1(c.message));
            QVERIFY(shown.icon == MessageIcon::Information);
            QCOMPARE(test::describe(m_world->store), before);
        }
        // A folder name holding ".htm" lets any file through.
        const fs::path folder = fs::path(m_world->homePath()) / "saved.htm.d";
        fs::create_directories(folder);
        std::ofstream((folder / "bookmarks.txt").string(), std::ios::binary) << NetscapeFile;
        m_world->fakes.messages.shown.clear();
        m_world->fileDialogs.answerNext((folder / "bookmarks.txt").string());
        action("mnuImpNetscape")->trigger();
        QVERIFY(m_world->fakes.messages.shown.empty());
    }

    void importIntoAFolderKeepsItCurrentAndShowsTheNewEntries()
    {
        Folder& target = makeCurrentFolder("Target");
        m_events.modalNames.clear();
        m_world->fileDialogs.answerNext(write("bookmark.htm", NetscapeFile));
        action("mnuImpNetscape")->trigger();

        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(&m_world->store.CurrentFolder(), &target);
        QStringList names = shownNames();
        names.sort();
        QCOMPARE(names, QStringList({ QStringLiteral(" Search"), QStringLiteral("Home") }));
        QCOMPARE(QString::fromStdString(test::describe(m_world->store)),
            QStringLiteral("Target/\nTarget|Home|http://home.example/\nTarget\\Search/\nTarget\\Search|Finder|http://"
                           "find.example/\n"));
        QVERIFY(treeHasNode(QStringLiteral("Search")));
        // The progress window was up (and modal) while the reader ran, and is gone now.
        // (The refresh afterwards lets events run with nothing modal any more.)
        QVERIFY(std::find(m_events.modalNames.begin(), m_events.modalNames.end(), QStringLiteral("frmImport"))
            != m_events.modalNames.end());
        QCOMPARE(m_events.modalNames.back(), QString());
        QVERIFY(m_window->findChild<frmImport*>() == nullptr);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void shortcutImportTakesOnlyUrlFiles()
    {
        m_events.modalNames.clear();
        std::vector<std::string> chosen;
        for (const char* name : { "One.url", "notes.txt", "Two.URL", "Three.url" }) {
            chosen.push_back(write(name, std::string("[InternetShortcut]\r\nURL=http://") + name + "/\r\n"));
        }
        m_world->fileDialogs.manyAnswers.push_back(chosen);
        action("mnuImpIexplore")->trigger();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(QString::fromStdString(test::describe(m_world->store)),
            QStringLiteral("|One|http://One.url/\n|Two|http://Two.URL/\n|Three|http://Three.url/\n"));
        QCOMPARE(m_window->ListView1()->rowCount(), 3);
        QVERIFY(std::find(m_events.modalNames.begin(), m_events.modalNames.end(), QStringLiteral("frmImport"))
            != m_events.modalNames.end());
        QVERIFY(m_window->findChild<frmImport*>() == nullptr);
    }

    void htmlImportMakesAFolderNamedAfterThePage()
    {
        Folder& target = makeCurrentFolder("Target");
        m_world->fileDialogs.answerNext(write("Page.HTML",
            "<HTML><HEAD><TITLE>Reading List</TITLE></HEAD><BODY>\r\n"
            "<A HREF=\"http://one.example/\">First</A>\r\n<A "
            "HREF=\"http://two.example/\">Second</A>\r\n</BODY></HTML>\r\n"));
        action("mnuImpHTML")->trigger();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(&m_world->store.CurrentFolder(), &target);
        QCOMPARE(shownNames(), QStringList({ QStringLiteral(" Reading List") }));
        QVERIFY(treeHasNode(QStringLiteral("Reading List")));
        const QString tree = QString::fromStdString(test::describe(m_world->store));
        QVERIFY2(tree.contains(QStringLiteral("Target\\Reading List|First|http://one.example/")), qPrintable(tree));
        QVERIFY2(tree.contains(QStringLiteral("Target\\Reading List|Second|http://two.example/")), qPrintable(tree));
    }

    void profileImportsStartWhereProfilesAreAndMakeOneFolder()
    {
        // The dialogs start in the user's profile folders; the user's home is $HOME.
        const QByteArray oldHome = qgetenv("HOME");
        const fs::path home = fs::path(m_world->homePath()) / "user";
        fs::create_directories(home / ".mozilla/firefox");
        fs::create_directories(home / ".config/chromium/Default");
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        struct Case
        {
            const char* menu;
            const char* title;
            const char* filter;
            const char* initialName;
            fs::path directory;
        };
        const Case cases[] = {
            { "mnuImpFirefox", "Import the bookmarks of a Firefox profile",
                "Firefox Bookmarks (places.sqlite);;All Files (*)", "places.sqlite", home / ".mozilla/firefox" },
            { "mnuImpChromium", "Import the bookmarks of a Chromium profile",
                "Chromium Bookmarks (Bookmarks);;All Files (*)", "Bookmarks", home / ".config/chromium" },
        };
        for (const Case& c : cases) {
            m_world->fileDialogs.asked.clear();
            action(c.menu)->trigger();
            QCOMPARE(m_world->fileDialogs.asked.size(), size_t(1));
            const FileDialogRequest& asked = m_world->fileDialogs.asked[0].request;
            QCOMPARE(QString::fromStdString(asked.title), QString::fromLatin1(c.title));
            QCOMPARE(QString::fromStdString(asked.filter), QString::fromLatin1(c.filter));
            QCOMPARE(QString::fromStdString(asked.fileName), QString::fromLatin1(c.initialName));
            QCOMPARE(QString::fromStdString(asked.directory), QString::fromStdString(c.directory.string()));
        }
        qputenv("HOME", oldHome);

        Folder& target = makeCurrentFolder("Target");
        const std::string bookmarks = (home / ".config/chromium/Default/Bookmarks").string();
        std::ofstream(bookmarks, std::ios::binary)
            << R"({"roots": {"bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [
                   {"type": "url", "name": "Bar link", "url": "https://bar.example/"}]}}})";
        m_events.modalNames.clear();
        m_world->fileDialogs.answerNext(bookmarks);
        action("mnuImpChromium")->trigger();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(&m_world->store.CurrentFolder(), &target);
        QCOMPARE(shownNames(), QStringList({ QStringLiteral(" Chromium (Default)") }));
        QVERIFY(treeHasNode(QStringLiteral("Bookmarks bar")));
        QCOMPARE(QString::fromStdString(test::describe(m_world->store)),
            QStringLiteral("Target/\nTarget\\Chromium (Default)/\nTarget\\Chromium (Default)\\Bookmarks bar/\n"
                           "Target\\Chromium (Default)\\Bookmarks bar|Bar link|https://bar.example/\n"));
        QVERIFY(std::find(m_events.modalNames.begin(), m_events.modalNames.end(), QStringLiteral("frmImport"))
            != m_events.modalNames.end());

        // A file cut short is one message; nothing is added.
        std::ofstream(bookmarks, std::ios::binary | std::ios::trunc) << R"({"roots": {"bookmark_bar": {"type")";
        const std::string before = test::describe(m_world->store);
        m_world->fileDialogs.answerNext((home / ".config/chromium/Default").string());
        action("mnuImpChromium")->trigger();
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(m_world->fakes.messages.shown[0].text),
            QString::fromStdString("Error importing " + bookmarks
                + ": not a Chromium bookmarks file: the JSON is malformed at line 1, column 35"));
        QCOMPARE(test::describe(m_world->store), before);
        QCOMPARE(shownNames(), QStringList({ QStringLiteral(" Chromium (Default)") }));
        QVERIFY(m_window->findChild<frmImport*>() == nullptr);
    }

    void databaseImportAddsTheFileAsAFolder()
    {
        LinkStore other(m_world->fakes.clock);
        other.Root().Caption = "Saved";
        other.CreateEntry(false, "http://kept.example/", 5, "Kept", "Http", "");
        const std::string path = (fs::path(m_world->homePath()) / "other.bdx").string();
        {
            std::ofstream out(path, std::ios::binary);
            QVERIFY(writeDatabase(out, other).ok());
        }
        Folder& target = makeCurrentFolder("Target");
        m_world->fileDialogs.answerNext(path);
        action("mnuImpBDX")->trigger();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(&m_world->store.CurrentFolder(), &target);
        QCOMPARE(m_window->ListView1()->rowCount(), 1);
        QVERIFY(QString::fromStdString(test::describe(m_world->store))
                    .contains(QStringLiteral("|Kept|http://kept.example/")));
    }

    void failedImportIsShownAndTheNextOneRuns()
    {
        Folder& target = makeCurrentFolder("Target");
        // The file ends inside a folder: what was read stays, and the user is told.
        const std::string broken = write("broken.htm",
            "<DL><p>\r\n<DT><A HREF=\"http://early.example/\">Early</A>\r\n<DT><H3>Open</H3>\r\n<DL><p>\r\n");
        m_world->fileDialogs.answerNext(broken);
        action("mnuImpNetscape")->trigger();
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(m_world->fakes.messages.shown[0].text).contains(QString::fromStdString(broken)));
        QCOMPARE(&m_world->store.CurrentFolder(), &target);
        QVERIFY(shownNames().contains(QStringLiteral("Early")));
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // A file that went away between the dialog and the reading.
        m_world->fakes.messages.shown.clear();
        m_world->fileDialogs.answerNext((fs::path(m_world->homePath()) / "gone.htm").string());
        action("mnuImpNetscape")->trigger();
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(m_world->fakes.messages.shown[0].text).contains(QStringLiteral("gone.htm")));

        m_world->fakes.messages.shown.clear();
        m_world->fileDialogs.answerNext(write("good.htm", NetscapeFile));
        action("mnuImpNetscape")->trigger();
        QVERIFY(m_world->fakes.messages.shown.empty());
        QVERIFY(shownNames().contains(QStringLiteral("Home")));
        QCOMPARE(&m_world->store.CurrentFolder(), &target);
    }

    void progressWindowShowsTheNewestStep()
    {
        test::CountingEvents events;
        frmImport progress(events);
        QCOMPARE(progress.windowTitle(), QStringLiteral("Import"));
        QCOMPARE(progress.ProgressBar1()->minimum(), 0);
        QCOMPARE(progress.ProgressBar1()->maximum(), 100);
        progress.setLabel("Importing URL First");
        progress.setValue(25);
        progress.setLabel("Importing URL Second");
        progress.setValue(150);  // kept in range
        progress.processEvents();
        QCOMPARE(events.calls, 1);
        QCOMPARE(progress.Label1()->text(), QStringLiteral("Importing URL Second"));
        QCOMPARE(progress.ProgressBar1()->value(), 100);
        progress.setValue(50);
        progress.refresh();
        QCOMPARE(progress.ProgressBar1()->value(), 50);
    }

    void exportDialogOffersTypesAndRanges()
    {
        frmExport dialog(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
            m_world->homePath(), {});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Export"));
        QCOMPARE(dialog.Label1()->text(), QStringLiteral("Export As"));
        QStringList types;
        for (int i = 0; i < dialog.Combo1()->count(); ++i) {
            types << dialog.Combo1()->itemText(i);
        }
        QCOMPARE(types,
            QStringList({ "Netscape Bookmarks", "NCSA Mosaic Hotlist", "Spry Mosaic Hotlist", "Spyglass Mosaic Hotlist",
                "HTML File" }));
        QCOMPARE(dialog.Combo1()->currentIndex(), 0);
        const QStringList ranges
            = { "Selected Items", "Immediate Folder Items", "Folder Items and Sub Folders", "Entire Database" };
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(dialog.Option1(i)->text(), ranges[i]);
            QCOMPARE(dialog.Option1(i)->objectName(), QStringLiteral("Option1_%1").arg(i));
        }
        QVERIFY(dialog.Option1(0)->isChecked());
        QVERIFY(dialog.range() == ExportRange::SelectedItems);
        QCOMPARE(dialog.Command1()->text(), QStringLiteral("Save As"));
        QVERIFY(dialog.Command1()->isDefault());
        QCOMPARE(dialog.Command2()->text(), QStringLiteral("Cancel"));
    }

    void saveAsAsksWithTheChosenTypesFilter()
    {
        makeCurrentFolder("Reading");
        struct Case
        {
            int index;
            const char* title;
            const char* filter;
            const char* suffix;
        };
        const Case cases[] = {
            { 0, "Save As Netscape Bookmarks", "Netscape Bookmarks File (*.HTM) (*.htm *.html)", "htm" },
            { 1, "Save As NCSA Mosaic Hotlist", "NCSA Mosaic Hotlist File (*.HOT)", "hot" },
            { 2, "Save As Spry Mosaic Hotlist", "Spry Mosaic Hotlist File (*.HOT)", "hot" },
            { 3, "Save As Spyglass Mosaic Hotlist", "Spyglass Mosaic Hotlist File (*.HTM) (*.htm *.html)", "htm" },
            { 4, "Save As HTML File", "HTML File (*.HTM,*.HTML) (*.htm *.html)", "htm" },
        };
        for (const Case& c : cases) {
            frmExport dialog(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
                m_world->homePath(), {});
            dialog.show();
            dialog.Combo1()->setCurrentIndex(c.index);
            m_world->fileDialogs.asked.clear();
            QTest::mouseClick(dialog.Command1(), Qt::LeftButton);  // the file dialog is cancelled
            QCOMPARE(m_world->fileDialogs.asked.size(), size_t(1));
            const FileDialogRequest& request = m_world->fileDialogs.asked[0].request;
            QVERIFY(m_world->fileDialogs.asked[0].kind == FakeFileDialogs::Kind::Save);
            QCOMPARE(QString::fromStdString(request.title), QString::fromLatin1(c.title));
            QCOMPARE(QString::fromStdString(request.filter), QString::fromLatin1(c.filter));
            QCOMPARE(QString::fromStdString(request.defaultSuffix), QString::fromLatin1(c.suffix));
            QCOMPARE(QString::fromStdString(request.fileName), QStringLiteral("Reading"));
            QCOMPARE(request.directory, m_world->homePath());
            // A cancelled file dialog leaves the export dialog open and writes nothing.
            QVERIFY(dialog.isVisible());
        }
        QVERIFY(m_world->fakes.messages.shown.empty());
    }

    void exportPassesTheFileNameAsTitle()
    {
        m_world->store.CreateEntry(false, "http://a.example/", 5, "A", "Http", "");
        m_window->FillList();
        struct Case
        {
            int type;
            const char* fileName;
            const char* titleLine;
        };
        const Case cases[] = {
            { 0, "bookmark.htm", "<TITLE>bookmark</TITLE>" },
            { 4, "page.html", "<TITLE>page.</TITLE>" },
        };
        for (const Case& c : cases) {
            const std::string path = (fs::path(m_world->homePath()) / c.fileName).string();
            frmExport dialog(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
                m_world->homePath(), {});
            dialog.Combo1()->setCurrentIndex(c.type);
            dialog.Option1(3)->setChecked(true);
            m_world->fileDialogs.answerNext(path);
            QVERIFY(dialog.SaveAs());
            QVERIFY(dialog.result() == QDialog::Accepted);
            QVERIFY2(slurp(path).find(c.titleLine) != std::string::npos, c.fileName);
        }
    }

    void eachRangeWritesWhatItsWriterWrites()
    {
        // Root: a link and folder "Sub" holding a link and folder "Deep" with one more.
        LinkStore& store = m_world->store;
        store.CreateEntry(false, "http://top.example/", 5, "Top", "Http", "");
        Folder& sub = makeCurrentFolder("Sub");
        store.CreateEntry(false, "http://one.example/", 5, "One", "Http", "");
        store.CreateEntry(false, "http://two.example/", 5, "Two", "Http", "");
        const std::string deepId = store.CreateEntry(true, "", 6, "Deep", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(deepId));
        store.CreateEntry(false, "http://deep.example/", 5, "Down", "Http", "");
        store.SetCurrentFolder(sub);
        m_window->FillList();
        m_window->ListView1()->selectRow(m_window->ListView1()->model().findId(
            QString::fromStdString(store.CurrentFolder().FolderItems.at(1)->IID)));  // "Two"

        using Writer = Status (*)(std::ostream&, const std::string&, ExportRange, LinkStore&, std::span<const ListRow>);
        const Writer writers[]
            = { ExportNetscapeFile, ExportMosaicHotlist, ExportSpryHotlist, ExportSpyglassHotlist, ExportHtmlFile };
        for (int type = 0; type < 5; ++type) {
            for (int range = 0; range < 4; ++range) {
                const std::string path
                    = (fs::path(m_world->homePath()) / ("out" + std::to_string(type) + ".txt")).string();
                frmExport dialog(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
                    m_world->homePath(), shownRowsOfWindow());
                dialog.Combo1()->setCurrentIndex(type);
                dialog.Option1(range)->setChecked(true);
                m_world->fileDialogs.answerNext(path);
                QVERIFY(dialog.SaveAs());

                std::vector<ListRow> expectedRows = shownRowsOfWindow();
                std::ostringstream expected;
                QVERIFY(writers[type](
                    expected, "out" + std::to_string(type), static_cast<ExportRange>(range), store, expectedRows)
                            .ok());
                const std::string written = slurp(path);
                QCOMPARE(written, expected.str());
                // What each range takes in.
                const bool hasOne = written.find("http://one.example/") != std::string::npos;
                const bool hasTwo = written.find("http://two.example/") != std::string::npos;
                const bool hasTop = written.find("http://top.example/") != std::string::npos;
                QVERIFY2(hasTwo, qPrintable(QStringLiteral("type %1 range %2").arg(type).arg(range)));
                QCOMPARE(hasOne, range >= 1);
                QCOMPARE(hasTop, range == 3);
            }
        }
        QVERIFY(m_world->fakes.messages.shown.empty());
        QCOMPARE(&store.CurrentFolder(), &sub);
    }

    void cancelWritesNothing()
    {
        frmExport dialog(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
            m_world->homePath(), {});
        dialog.show();
        QTest::mouseClick(dialog.Command2(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.result() == QDialog::Rejected);
        QVERIFY(m_world->fileDialogs.asked.empty());
        // Escape is Cancel too.
        frmExport second(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
            m_world->homePath(), {});
        second.show();
        QTest::keyClick(&second, Qt::Key_Escape);
        QVERIFY(!second.isVisible());
        QVERIFY(m_world->fileDialogs.asked.empty());
    }

    void failedExportIsShownAndTheNextOneRuns()
    {
        // A "folder" that is a plain file cannot take the export, whoever runs the test.
        const std::string blocker = write("plain.txt", "x");
        const std::string path = blocker + "/out.htm";
        frmExport dialog(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
            m_world->homePath(), {});
        dialog.Option1(3)->setChecked(true);
        m_world->fileDialogs.answerNext(path);
        QVERIFY(!dialog.SaveAs());
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(m_world->fakes.messages.shown[0].text).contains(QString::fromStdString(path)));
        QCOMPARE(slurp(blocker), std::string("x"));

        m_world->fakes.messages.shown.clear();
        const std::string good = (fs::path(m_world->homePath()) / "good.htm").string();
        frmExport next(m_window->dialogs(), m_world->store, m_world->fakes.messages, m_world->fileDialogs,
            m_world->homePath(), {});
        next.Option1(3)->setChecked(true);
        m_world->fileDialogs.answerNext(good);
        QVERIFY(next.SaveAs());
        QVERIFY(m_world->fakes.messages.shown.empty());
        QVERIFY(fs::exists(good));
    }

    void menuAndPageWizardOpenTheExportDialog()
    {
        struct Case
        {
            const char* menu;
            QString type;
        };
        const Case cases[]
            = { { "mnuExpAs", QStringLiteral("Netscape Bookmarks") }, { "mnuPageWiz", QStringLiteral("HTML File") } };
        for (const Case& c : cases) {
            QString shownType;
            bool modal = false;
            QTimer::singleShot(0, this, [&] {
                auto* dialog = qobject_cast<frmExport*>(QApplication::activeModalWidget());
                if (dialog) {
                    shownType = dialog->Combo1()->currentText();
                    modal = dialog->isModal();
                    dialog->Command2()->click();
                }
            });
            action(c.menu)->trigger();
            QCOMPARE(shownType, c.type);
            QVERIFY(modal);
        }
        QVERIFY(m_world->fileDialogs.asked.empty());
    }

    void shortcutExportWritesTheSelectedRows()
    {
        m_world->store.CreateEntry(false, "http://a.example/", 5, "Alpha", "Http", "");
        m_world->store.CreateEntry(false, "http://b.example/", 5, "Beta", "Http", "");
        m_window->FillList();
        m_window->ListView1()->clearSelection();
        action("mnuExpIExplore")->trigger();
        QCOMPARE(m_world->fakes.messages.beeps, 1);

        m_window->ListView1()->selectRow(m_window->ListView1()->model().findId(
            QString::fromStdString(m_world->store.Root().FolderItems.at(1)->IID)));
        action("mnuExpIExplore")->trigger();
        const fs::path home(m_world->homePath());
        QVERIFY(fs::exists(home / "Beta.url"));
        QVERIFY(!fs::exists(home / "Alpha.url"));
        QVERIFY(slurp((home / "Beta.url").string()).find("http://b.example/") != std::string::npos);
        QVERIFY(m_world->fakes.messages.shown.empty());
    }

private:
    QAction* action(const char* name) const { return m_window->action(QString::fromLatin1(name)); }

    std::string write(const std::string& name, const std::string& content) const
    {
        const std::string path = (fs::path(m_world->homePath()) / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // Makes a folder in the root, shows it and makes it current.
    Folder& makeCurrentFolder(const std::string& caption)
    {
        LinkStore& store = m_world->store;
        store.SetCurrentFolder(store.Root());
        const std::string id = store.CreateEntry(true, "", 6, caption, "Folder", "");
        Folder& folder = *store.FindFolder(id);
        store.SetCurrentFolder(folder);
        m_window->FillList();
        m_window->BuildTree();
        return folder;
    }

    QStringList shownNames() const
    {
        QStringList names;
        const ContentsModel& model = m_window->ListView1()->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            names << QString::fromStdString(model.row(row).Name);
        }
        return names;
    }

    std::vector<ListRow> shownRowsOfWindow() const
    {
        std::vector<ListRow> rows;
        const ContentsList& list = *m_window->ListView1();
        for (int row = 0; row < list.rowCount(); ++row) {
            ListRow copy = list.model().row(row);
            copy.Selected = list.isRowSelected(row);
            rows.push_back(copy);
        }
        return rows;
    }

    bool treeHasNode(const QString& text) const
    {
        for (QTreeWidgetItemIterator it(m_window->TreeView1()); *it; ++it) {
            if ((*it)->text(0) == text) {
                return true;
            }
        }
        return false;
    }

    WatchingEvents m_events;
};

QTEST_MAIN(ImportExportCommandsTest)
#include "ImportExportCommandsTest.moc"
