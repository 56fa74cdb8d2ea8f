#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/StoreHelpers.h"
#include "fakes/TempFolder.h"
#include "formats/BookmarkTree.h"
#include "formats/BrowserProfile.h"
#include "formats/FormatsTestSupport.h"
#include "formats/ImportExport.h"
#include "formats/ProfileTestSupport.h"
#include "store/DatabaseFile.h"
#include "store/Limits.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* SmallBookmarks = R"({"roots": {
    "bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [
        {"type": "url", "name": "Bar \"link\"", "url": "https://bar.example/", "date_added": "13441283333457956"},
        {"type": "folder", "name": "Sub", "children": [{"type": "url", "name": "Inner", "url": "ftp://inner.example/"}]}]},
    "other": {"type": "folder", "name": "Other bookmarks", "children": []}}})";

class ProfileImportTest : public ::testing::Test
{
protected:
    ProfileImportTest() { w.addLink(w.store.Root(), "Already here", "https://here.example/"); }

    std::string mkdir(const std::string& relative) const
    {
        fs::create_directories(home.path() / relative);
        return home / relative;
    }
    std::string firefoxProfile(const std::string& relative)
    {
        const std::string profile = mkdir(relative);
        PlacesFile places(profile + "/places.sqlite");
        places.roots();
        places.folder(10, 3, 0, "On the toolbar", prTime(2020, 9, 13, 12, 26, 40));
        places.link(11, 10, 0, "Toolbar link", "https://toolbar.example/", prTime(2017, 7, 14, 2, 40, 0));
        places.link(12, 2, 0, "Menu link", "https://menu.example/");
        return profile;
    }
    ImportServices services() { return ImportServices { w.progress, w.events, messages, home.path().string() }; }

    // Imports `path`; expects the import to fail with exactly `message` in one box and to
    // leave the database as it was.
    void expectRefused(ImportKind kind, const std::string& path, const std::string& message)
    {
        SCOPED_TRACE(path);
        const std::string before = savedBytes(w.store);
        messages.shown.clear();
        EXPECT_FALSE(importFile(w.store, kind, path, services()).ok());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Error");
        EXPECT_EQ(messages.shown[0].text, message);
        EXPECT_EQ(savedBytes(w.store), before);
        EXPECT_EQ(&w.store.CurrentFolder(), &w.store.Root());
    }

    ScopedTimeZone zone { "UTC" };
    TempFolder home;
    FormatsWorld w;
    FakeMessageBoxes messages;
};

TEST_F(ProfileImportTest, AFirefoxProfileFolderBecomesOneFolderNamedAfterTheBrowserAndProfile)
{
    const std::string profile = firefoxProfile(".mozilla/firefox/x1y2z3w4.default-esr");
    Folder& into = w.addFolder(w.store.Root(), "Target");
    w.store.SetCurrentFolder(into);
    ASSERT_TRUE(importFile(w.store, ImportKind::Firefox, profile, services()).ok());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(&w.store.CurrentFolder(), &into);
    EXPECT_EQ(describeDated(w.store),
        "|Already here|https://here.example/|1996-12-07|\n"
        "Target/|1996-12-07|\n"
        "Target\\Firefox (default-esr)/|1996-12-07|\n"
        "Target\\Firefox (default-esr)\\Bookmarks Menu/|1996-12-07|\n"
        "Target\\Firefox (default-esr)\\Bookmarks Toolbar/|1996-12-07|\n"
        "Target\\Firefox (default-esr)\\Bookmarks Menu|Menu link|https://menu.example/|1996-12-07|\n"
        "Target\\Firefox (default-esr)\\Bookmarks Toolbar\\On the toolbar/|2020-09-13 12:26:40|\n"
        "Target\\Firefox (default-esr)\\Bookmarks Toolbar\\On the toolbar|Toolbar link|https://toolbar.example/|"
        "2017-07-14 02:40:00|\n");
    expectInvariants(w.store);
    EXPECT_EQ(w.progress.labels.front(), "Importing Firefox (default-esr)");
    EXPECT_EQ(w.progress.values.back(), 100);

    // The file itself may be named instead, and the import saves and loads as any other.
    ASSERT_TRUE(importFile(w.store, ImportKind::Firefox, profile + "/places.sqlite", services()).ok());
    const std::string saved = savedBytes(w.store);
    FakeClock clock;
    LinkStore again(clock);
    std::istringstream in(saved);
    ASSERT_TRUE(readDatabase(in, again, false).ok());
    EXPECT_EQ(describeDated(again), describeDated(w.store));
}

TEST_F(ProfileImportTest, AChromiumProfileOrTheBrowsersOwnFolderMeaningItsDefaultProfile)
{
    mkdir(".config/google-chrome/Profile 1");
    mkdir(".config/chromium/Default");
    std::ofstream(home / ".config/google-chrome/Profile 1/Bookmarks") << SmallBookmarks;
    std::ofstream(home / ".config/chromium/Default/Bookmarks") << SmallBookmarks;

    ASSERT_TRUE(importFile(w.store, ImportKind::Chromium, home / ".config/google-chrome/Profile 1/", services()).ok());
    ASSERT_TRUE(importFile(w.store, ImportKind::Chromium, home / ".config/chromium", services()).ok());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(describe(w.store),
        "|Already here|https://here.example/\n"
        "Google Chrome (Profile 1)/\n"
        "Chromium (Default)/\n"
        "Google Chrome (Profile 1)\\Bookmarks bar/\n"
        "Google Chrome (Profile 1)\\Bookmarks bar|Bar 'link'|https://bar.example/\n"
        "Google Chrome (Profile 1)\\Bookmarks bar\\Sub/\n"
        "Google Chrome (Profile 1)\\Bookmarks bar\\Sub|Inner|ftp://inner.example/\n"
        "Chromium (Default)\\Bookmarks bar/\n"
        "Chromium (Default)\\Bookmarks bar|Bar 'link'|https://bar.example/\n"
        "Chromium (Default)\\Bookmarks bar\\Sub/\n"
        "Chromium (Default)\\Bookmarks bar\\Sub|Inner|ftp://inner.example/\n");
    const Folder* bar = w.store.FindFolder(w.store.FindFolder(w.store.Root().FolderItems[1]->IID)->FolderItems[0]->IID);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(formatFileDate(bar->FolderItems[0]->MDate), "2026-12-09 09:48:53");
    EXPECT_EQ(bar->FolderItems[0]->URLType, "Http");
    EXPECT_EQ(w.store.FindFolder(bar->FolderItems[1]->IID)->FolderItems[0]->URLType, "Ftp");
    expectInvariants(w.store);
}

TEST_F(ProfileImportTest, WhatCannotBeImportedWholeIsOneMessageAndChangesNothing)
{
    const std::string missing = home / "nowhere";
    expectRefused(ImportKind::Firefox, missing, "Error importing " + missing + ": no such file or folder");

    firefoxProfile("firefox/abcdefgh.default");
    firefoxProfile("firefox/12345678.work");
    mkdir("firefox/Crash Reports");
    expectRefused(ImportKind::Firefox, home / "firefox",
        "Error importing " + (home / "firefox")
            + ": no Firefox bookmarks in this folder (it holds no places.sqlite); choose one of its profiles: "
              "12345678.work, abcdefgh.default");
    const std::string empty = mkdir("chromium/Default");
    expectRefused(ImportKind::Chromium, empty,
        "Error importing " + empty + ": no Chromium bookmarks in this folder (it holds no Bookmarks)");

    const std::string broken = home.write("chromium/Default/Bookmarks", "{\"roots\": {\"other\": [}");
    expectRefused(ImportKind::Chromium, empty,
        "Error importing " + broken + ": not a Chromium bookmarks file: the JSON is malformed at line 1, column 22");
    home.write("chromium/Default/Bookmarks", R"({"roots": {"other": {"children": []}, "synced": {}}})");
    expectRefused(ImportKind::Chromium, broken, "Error importing " + broken + ": the profile holds no bookmarks");

    const std::string places = home / "firefox/abcdefgh.default/places.sqlite";
    const std::string whole = TempFolder::read(places);
    std::ofstream(places, std::ios::binary | std::ios::trunc) << whole.substr(0, 3000);
    messages.shown.clear();
    const std::string read
        = importFile(w.store, ImportKind::Firefox, home / "firefox/abcdefgh.default", services()).error().message;
    EXPECT_EQ(read.rfind("the database is damaged or only partly written (", 0), 0u) << read;
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Error importing " + places + ": " + read);
    EXPECT_EQ(describe(w.store), "|Already here|https://here.example/\n");
}

TEST_F(ProfileImportTest, TheOpenDialogStartsWhereTheBrowsersKeepTheirProfiles)
{
    const std::string root = home.path().string();
    EXPECT_EQ(profileStartFolder(ProfileBrowser::Firefox, root), root);
    EXPECT_EQ(profileStartFolder(ProfileBrowser::Chromium, root), root);
    mkdir(".config/google-chrome");
    EXPECT_EQ(profileStartFolder(ProfileBrowser::Chromium, root), root + "/.config/google-chrome");
    mkdir(".config/chromium");
    EXPECT_EQ(profileStartFolder(ProfileBrowser::Chromium, root), root + "/.config/chromium");
    mkdir(".mozilla/firefox");
    EXPECT_EQ(profileStartFolder(ProfileBrowser::Firefox, root), root + "/.mozilla/firefox");
    EXPECT_EQ(std::string(importCommandText(ImportKind::Firefox).initialName), "places.sqlite");
    EXPECT_EQ(std::string(importCommandText(ImportKind::Chromium).initialName), "Bookmarks");
    // No extension rule: a profile is a folder.
    EXPECT_TRUE(checkImportPath(ImportKind::Firefox, "/home/u/.mozilla/firefox/x.default", messages));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProfileImportTest, CaptionsNameTheBrowserFromWhereItsProfileLies)
{
    struct Case
    {
        ProfileBrowser browser;
        const char* profile;
        const char* caption;
    };
    const Case cases[] = {
        { ProfileBrowser::Firefox, ".mozilla/firefox/a1b2c3d4.default-release", "Firefox (default-release)" },
        { ProfileBrowser::Firefox, ".mozilla/firefox/Some.Profile", "Firefox (Some.Profile)" },
        { ProfileBrowser::Firefox, ".librewolf/zzzzzzzz.default", "LibreWolf (default)" },
        { ProfileBrowser::Chromium, ".config/chromium/Profile 2", "Chromium (Profile 2)" },
        { ProfileBrowser::Chromium, ".config/microsoft-edge/Default", "Microsoft Edge (Default)" },
        { ProfileBrowser::Chromium, ".config/BraveSoftware/Brave-Browser/Default", "Brave (Default)" },
        { ProfileBrowser::Chromium, "copies/Default", "Chromium (Default)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        const std::string folder = mkdir(c.profile);
        home.write(
            std::string(c.profile) + (c.browser == ProfileBrowser::Firefox ? "/places.sqlite" : "/Bookmarks"), "");
        const Result<ProfileBookmarks> found = findProfileBookmarks(c.browser, folder);
        ASSERT_TRUE(found.ok()) << found.error().message;
        EXPECT_EQ(found.value().caption, c.caption);
    }
}

// A hostile file may nest folders far deeper than the tree may go; they are placed at
// the deepest level, each inside the deepest folder that may still hold one, and every
// link stays in the folder it was read in.
TEST_F(ProfileImportTest, FoldersNestedTooDeepAreKeptAtTheDeepestLevel)
{
    BookmarkTree tree;
    const int depth = MaxFolderDepth + 40;
    for (int d = 0; d < depth; ++d) {
        tree.push_back({ d, true, "F" + std::to_string(d), "", {}, "" });
        tree.push_back({ d + 1, false, "L" + std::to_string(d), "https://x/" + std::to_string(d), {}, "" });
    }
    tree.push_back({ 1, false, "Back up", "https://up/", {}, "" });
    const std::string top = addBookmarkTree(w.store, "Deep", tree, w.context);
    expectInvariants(w.store);
    int deepest = 0;
    std::map<std::string, std::string> folderOfLink;
    w.store.WalkFolders(w.store.Root(), [&](Folder& folder, int level) {
        deepest = std::max(deepest, level);
        for (const auto& item : folder.FolderItems) {
            if (!item->IsFolder) {
                folderOfLink[item->Caption] = folder.Caption;
            }
        }
        return true;
    });
    EXPECT_EQ(deepest, MaxFolderDepth);
    for (int d = 0; d < depth; ++d) {
        EXPECT_EQ(folderOfLink["L" + std::to_string(d)], "F" + std::to_string(d));
    }
    EXPECT_EQ(folderOfLink["Back up"], "F0");
    EXPECT_EQ(w.store.Root().SubFolders.size(), static_cast<size_t>(depth) + 1);
}

}  // namespace
}  // namespace brindlex::test
