#include "formats/BrowserProfile.h"

#include <algorithm>
#include <filesystem>

#include "formats/ChromiumBookmarks.h"
#include "formats/FirefoxPlaces.h"
#include "store/FileAccess.h"
#include "store/Text.h"

namespace brindlex {

namespace {

namespace fs = std::filesystem;

const char* bookmarksFileName(ProfileBrowser browser)
{
    return browser == ProfileBrowser::Firefox ? "places.sqlite" : "Bookmarks";
}

const char* familyName(ProfileBrowser browser)
{
    return browser == ProfileBrowser::Firefox ? "Firefox" : "Chromium";
}

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The browser as its profile's place tells it: Chromium-family browsers keep their
// profiles in a folder named after themselves.
std::string browserName(ProfileBrowser browser, const fs::path& profile)
{
    if (browser == ProfileBrowser::Firefox) {
        return profile.string().find("/.librewolf/") != std::string::npos ? "LibreWolf" : "Firefox";
    }
    static const char* const Names[][2] = {
        { "chromium", "Chromium" },
        { "google-chrome", "Google Chrome" },
        { "google-chrome-beta", "Google Chrome Beta" },
        { "google-chrome-unstable", "Google Chrome Dev" },
        { "microsoft-edge", "Microsoft Edge" },
        { "brave-browser", "Brave" },
        { "vivaldi", "Vivaldi" },
    };
    const std::string folder = lowerAscii(profile.parent_path().filename().string());
    for (const auto& [name, shown] : Names) {
        if (folder == name) {
            return shown;
        }
    }
    return "Chromium";
}

// Firefox names a profile's folder with eight random letters and digits, a dot and the
// profile's name ("x1y2z3w4.default-esr"); Chromium by the profile ("Default").
std::string profileName(ProfileBrowser browser, const fs::path& profile)
{
    const std::string name = profile.filename().string();
    if (browser == ProfileBrowser::Firefox && name.size() > 9 && name[8] == '.'
        && std::all_of(
            name.begin(), name.begin() + 8, [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); })) {
        return name.substr(9);
    }
    return name;
}

// The folders right inside `folder` that hold a bookmarks file, by name.
std::vector<std::string> profilesIn(ProfileBrowser browser, const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && isFile(it->path() / bookmarksFileName(browser))) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

Result<ProfileBookmarks> findProfileBookmarks(ProfileBrowser browser, const std::string& path)
{
    std::error_code error;
    fs::path given = fs::absolute(fs::path(path), error).lexically_normal();
    if (given.has_parent_path() && given.filename().empty()) {
        given = given.parent_path();  // "profile/" names the folder
    }
    const fs::file_status status = fs::status(given, error);
    if (!fs::exists(status)) {
        return Error { ErrorKind::NotFound, "no such file or folder" };
    }
    fs::path file;
    if (fs::is_directory(status)) {
        if (isFile(given / bookmarksFileName(browser))) {
            file = given / bookmarksFileName(browser);
        } else if (browser == ProfileBrowser::Chromium && isFile(given / "Default" / "Bookmarks")) {
            file = given / "Default" / "Bookmarks";
        } else {
            std::string message = std::string("no ") + familyName(browser) + " bookmarks in this folder (it holds no "
                + bookmarksFileName(browser) + ")";
            const std::vector<std::string> profiles = profilesIn(browser, given);
            if (!profiles.empty()) {
                message += "; choose one of its profiles:";
                for (size_t i = 0; i < profiles.size(); ++i) {
                    message += (i == 0 ? " " : ", ") + profiles[i];
                }
            }
            return Error { ErrorKind::NotFound, message };
        }
    } else if (fs::is_regular_file(status)) {
        file = given;
    } else {
        return Error { ErrorKind::NotFound, "not a regular file" };
    }
    const fs::path profile = file.parent_path();
    return ProfileBookmarks { file.string(),
        browserName(browser, profile) + " (" + profileName(browser, profile) + ")" };
}

Result<BookmarkTree> readProfileBookmarks(ProfileBrowser browser, const ProfileBookmarks& found)
{
    if (browser == ProfileBrowser::Firefox) {
        return readFirefoxPlaces(found.file);
    }
    InputFile in;
    if (Status opened = in.open(found.file); !opened.ok()) {
        return opened.error();
    }
    Result<BookmarkTree> tree = readChromiumBookmarks(in);
    if (const std::string failed = in.readError(); !failed.empty()) {
        return Error { ErrorKind::Io, failed };
    }
    return tree;
}

std::vector<std::string> profileFolders(ProfileBrowser browser, const std::string& home)
{
    if (browser == ProfileBrowser::Firefox) {
        return { home + "/.mozilla/firefox", home + "/snap/firefox/common/.mozilla/firefox",
            home + "/.var/app/org.mozilla.firefox/.mozilla/firefox", home + "/.librewolf" };
    }
    return { home + "/.config/chromium", home + "/.config/google-chrome", home + "/snap/chromium/common/chromium",
        home + "/.config/microsoft-edge", home + "/.config/BraveSoftware/Brave-Browser" };
}

std::string profileStartFolder(ProfileBrowser browser, const std::string& home)
{
    for (const std::string& folder : profileFolders(browser, home)) {
        std::error_code error;
        if (fs::is_directory(folder, error)) {
            return folder;
        }
    }
    return home;
}

}  // namespace brindlex
