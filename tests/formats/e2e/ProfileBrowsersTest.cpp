// Profiles written by the real browsers of this machine: Firefox ESR imports a bookmark
// file into a fresh profile at its first start; Chromium gets its bookmarks from a small
// extension that makes them through chrome.bookmarks. Each profile is imported while its
// browser still runs, and again after the browser ended.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sqlite3.h>
#include <thread>

#include "HeadlessBrowser.h"
#include "fakes/FakePlatform.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/StoreHelpers.h"
#include "fakes/TempFolder.h"
#include "formats/FormatsTestSupport.h"
#include "formats/ImportExport.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;
using Family = HeadlessBrowser::Family;
using SteadyClock = std::chrono::steady_clock;

void writeFile(const std::string& path, const std::string& text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

bool fileHolds(const std::string& path, const std::string& text)
{
    return TempFolder::read(path).find(text) != std::string::npos;
}

// The sizes and times of the files of a folder, to show that an import changed none.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> stamps(const std::string& folder)
{
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> out;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            out[entry.path().filename().string()] = { entry.file_size(), entry.last_write_time() };
        }
    }
    return out;
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

class ProfileBrowsersTest : public ::testing::Test
{
protected:
    // Imports `path` into a fresh store: the tree as describeDated() shows it, every date
    // of this test's run written NOW, or the message of a failure.
    std::string imported(ImportKind kind, const std::string& path)
    {
        FormatsWorld world;
        FakeMessageBoxes messages;
        const ImportServices services { world.progress, world.events, messages, folder.path().string() };
        if (!importFile(world.store, kind, path, services).ok()) {
            return "failed: " + (messages.shown.empty() ? std::string("no message") : messages.shown.back().text);
        }
        expectInvariants(world.store);
        std::string text = describeDated(world.store);
        const std::string end = utcNow();
        const std::regex date("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}");
        std::string out;
        auto from = text.cbegin();
        for (std::sregex_iterator it(text.begin(), text.end(), date), stop; it != stop; ++it) {
            out.append(from, (*it)[0].first);
            const std::string found = it->str();
            out += found >= m_started && found <= end ? "NOW" : found;
            from = (*it)[0].second;
        }
        out.append(from, text.cend());
        return out;
    }
    // Imports until the tree is `expected` or `seconds` have passed (a browser writes its
    // bookmarks a little after it made them); the last tree read.
    std::string importedOnceWritten(ImportKind kind, const std::string& path, const std::string& expected, int seconds)
    {
        const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
        std::string got = imported(kind, path);
        while (got != expected && SteadyClock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            got = imported(kind, path);
        }
        return got;
    }
    static bool waitFor(const std::function<bool()>& condition, int seconds)
    {
        const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
        while (!condition()) {
            if (SteadyClock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return true;
    }
    // A copy of a profile folder's bookmarks file cut to half its length, in a folder of
    // its own: half written.
    std::string halfCopy(const std::string& file, const std::string& name)
    {
        const std::string copy = folder / ("half/" + name);
        writeFile(copy, "");
        const std::string whole = TempFolder::read(file);
        writeFile(copy, whole.substr(0, whole.size() / 2));
        return copy;
    }

    ScopedTimeZone zone { "UTC" };
    TempFolder folder;
    std::string m_started = utcNow();
};

TEST_F(ProfileBrowsersTest, FirefoxProfile)
{
    ASSERT_EQ(HeadlessBrowser::missing(Family::Firefox), "");
    const std::string bookmarks = folder / "bookmarks.html";
    writeFile(bookmarks,
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n"
        "    <DT><H3 ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000100\">Ünïcode &amp; folder</H3>\n"
        "    <DL><p>\n"
        "        <DT><A HREF=\"https://example.org/a?x=1&amp;y=2\" ADD_DATE=\"1500000000\">Link A \"quoted\"</A>\n"
        "        <DT><A HREF=\"https://example.org/b\" ADD_DATE=\"1400000000\">Ссылка Б</A>\n"
        "    </DL><p>\n"
        "    <DT><A HREF=\"https://example.net/\" ADD_DATE=\"1300000000\">Top link</A>\n"
        "    <HR>\n"
        "    <DT><A HREF=\"place:sort=8&amp;maxResults=10\">Recent</A>\n"
        "    <DT><H3 ADD_DATE=\"1250000000\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks Toolbar</H3>\n"
        "    <DL><p>\n"
        "        <DT><A HREF=\"https://toolbar.example/\" ADD_DATE=\"1200000000\">On toolbar</A>\n"
        "    </DL><p>\n"
        "</DL><p>\n");
    const std::string home = folder / "home";
    const std::string profile = home + "/.mozilla/firefox/q1w2e3r4.default-esr";
    // A fresh profile imports the bookmark file its preferences name at the first start.
    writeFile(profile + "/user.js",
        "user_pref(\"browser.places.importBookmarksHTML\", true);\n"
        "user_pref(\"browser.bookmarks.file\", \""
            + bookmarks
            + "\");\n"
              "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
              "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
              "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
              "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
              "user_pref(\"app.update.enabled\", false);\n"
              "user_pref(\"extensions.update.enabled\", false);\n"
              "user_pref(\"network.captive-portal-service.enabled\", false);\n"
              "user_pref(\"browser.aboutwelcome.enabled\", false);\n");
    const std::string expected = "Firefox (default-esr)/|1996-12-07|\n"
                                 "Firefox (default-esr)\\Bookmarks Menu/|NOW|\n"
                                 "Firefox (default-esr)\\Bookmarks Toolbar/|NOW|\n"
                                 "Firefox (default-esr)\\Bookmarks Menu\\Ünïcode & folder/|2020-09-13 12:26:40|\n"
                                 "Firefox (default-esr)\\Bookmarks Menu|Top link|https://example.net/|"
                                 "2011-03-13 07:06:40|\n"
                                 "Firefox (default-esr)\\Bookmarks Menu\\Ünïcode & folder|Link A 'quoted'|"
                                 "https://example.org/a?x=1&y=2|2017-07-14 02:40:00|\n"
                                 "Firefox (default-esr)\\Bookmarks Menu\\Ünïcode & folder|Ссылка Б|"
                                 "https://example.org/b|2014-05-13 16:53:20|\n"
                                 "Firefox (default-esr)\\Bookmarks Toolbar|On toolbar|https://toolbar.example/|"
                                 "2008-01-10 21:20:00|\n";
    {
        HeadlessBrowser firefox(Family::Firefox, { "--headless", "--no-remote", "--profile", profile, "about:blank" },
            home, folder / "firefox.log");
        ASSERT_EQ(firefox.failure(), "");
        const std::string places = profile + "/places.sqlite";
        ASSERT_TRUE(waitFor(
            [&] { return fileHolds(places + "-wal", "toolbar.example") || fileHolds(places, "toolbar.example"); }, 90))
            << "Firefox wrote no bookmarks:\n"
            << firefox.logTail();
        ASSERT_TRUE(firefox.running()) << firefox.logTail();
        // The running browser holds its database locked, its latest changes still in its log.
        EXPECT_EQ(importedOnceWritten(ImportKind::Firefox, profile, expected, 30), expected);
        EXPECT_TRUE(firefox.running()) << "the import disturbed Firefox:\n" << firefox.logTail();
        firefox.quit(20000);
    }
    const auto before = stamps(profile);
    EXPECT_EQ(imported(ImportKind::Firefox, profile), expected);
    EXPECT_EQ(imported(ImportKind::Firefox, profile + "/places.sqlite"), expected);
    EXPECT_EQ(stamps(profile), before);

    // Half of the file, everything the browser wrote first brought into it.
    const std::string whole = folder / "whole/places.sqlite";
    fs::create_directories(folder / "whole");
    for (const char* part : { "", "-wal" }) {
        if (fs::exists(profile + "/places.sqlite" + part)) {
            fs::copy_file(profile + "/places.sqlite" + part, whole + part);
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(whole.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    const std::string half = halfCopy(whole, "places.sqlite");
    const std::string message = imported(ImportKind::Firefox, half);
    EXPECT_EQ(
        message.rfind("failed: Error importing " + half + ": the database is damaged or only partly written (", 0), 0u)
        << message;
}

TEST_F(ProfileBrowsersTest, ChromiumProfile)
{
    ASSERT_EQ(HeadlessBrowser::missing(Family::Chromium), "");
    const std::string extension = folder / "extension";
    writeFile(extension + "/manifest.json",
        R"({"manifest_version": 3, "name": "Bookmarks for a test", "version": "1",
            "permissions": ["bookmarks"], "background": {"service_worker": "bg.js"}})");
    // "1" is the bookmarks bar, "2" other bookmarks; the last bookmark says it is done.
    writeFile(extension + "/bg.js", R"((async () => {
  const folder = await chrome.bookmarks.create({parentId: "1", title: "Ünïcode & folder"});
  await chrome.bookmarks.create({parentId: folder.id, title: 'Link A "quoted"', url: "https://example.org/a?x=1&y=2"});
  const deeper = await chrome.bookmarks.create({parentId: folder.id, title: "Глубже"});
  await chrome.bookmarks.create({parentId: deeper.id, title: "Link B", url: "https://example.org/b"});
  await chrome.bookmarks.create({parentId: "1", title: "Bar link", url: "https://bar.example/"});
  await chrome.bookmarks.create({parentId: "2", title: "", url: "https://done.example/"});
})();
)");
    const std::string home = folder / "home";
    const std::string data = home + "/.config/chromium";
    const std::string expected
        = "Chromium (Default)/|1996-12-07|\n"
          "Chromium (Default)\\Bookmarks bar/|NOW|\n"
          "Chromium (Default)\\Other bookmarks/|NOW|\n"
          "Chromium (Default)\\Bookmarks bar\\Ünïcode & folder/|NOW|\n"
          "Chromium (Default)\\Bookmarks bar|Bar link|https://bar.example/|NOW|\n"
          "Chromium (Default)\\Bookmarks bar\\Ünïcode & folder|Link A 'quoted'|"
          "https://example.org/a?x=1&y=2|NOW|\n"
          "Chromium (Default)\\Bookmarks bar\\Ünïcode & folder\\Глубже/|NOW|\n"
          "Chromium (Default)\\Bookmarks bar\\Ünïcode & folder\\Глубже|Link B|"
          "https://example.org/b|NOW|\n"
          "Chromium (Default)\\Other bookmarks|https://done.example/|https://done.example/|NOW|\n";
    const std::string file = data + "/Default/Bookmarks";
    {
        HeadlessBrowser chromium(Family::Chromium,
            { "--headless=new", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + data,
                "--disable-extensions-except=" + extension, "--load-extension=" + extension,
                "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run",
                "--no-default-browser-check", "about:blank" },
            home, folder / "chromium.log");
        ASSERT_EQ(chromium.failure(), "");
        ASSERT_TRUE(waitFor([&] { return fileHolds(file, "done.example"); }, 90)) << "Chromium wrote no bookmarks:\n"
                                                                                  << chromium.logTail();
        // The browser's own folder names its Default profile.
        EXPECT_EQ(importedOnceWritten(ImportKind::Chromium, data, expected, 30), expected);
        chromium.quit(20000);
    }
    const auto before = stamps(data + "/Default");
    EXPECT_EQ(imported(ImportKind::Chromium, data + "/Default"), expected);
    EXPECT_EQ(imported(ImportKind::Chromium, file), expected);
    EXPECT_EQ(stamps(data + "/Default"), before);

    const std::string half = halfCopy(file, "Bookmarks");
    const std::string message = imported(ImportKind::Chromium, half);
    EXPECT_EQ(
        message.rfind(
            "failed: Error importing " + half + ": not a Chromium bookmarks file: the JSON is malformed at line ", 0),
        0u)
        << message;
}

}  // namespace
}  // namespace brindlex::test
