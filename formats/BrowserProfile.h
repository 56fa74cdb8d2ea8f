#pragma once
#include <string>
#include <vector>

#include "formats/BookmarkTree.h"
#include "store/Result.h"

namespace brindlex {

// The two families of today's browsers whose profiles can be imported from directly.
enum class ProfileBrowser { Firefox, Chromium };

// Where a profile keeps its bookmarks, and what to call the folder they are imported into.
struct ProfileBookmarks
{
    std::string file;  // places.sqlite, or Chromium's Bookmarks
    std::string caption;  // the browser and the profile: "Firefox (default-esr)", "Chromium (Default)"
};

// `path` names the bookmarks file itself or the profile folder that holds it; for Chromium
// also the browser's own folder (~/.config/chromium), meaning its Default profile. A
// folder without bookmarks is an error that names the profiles inside it, if any.
[[nodiscard]] Result<ProfileBookmarks> findProfileBookmarks(ProfileBrowser browser, const std::string& path);

// Reads the bookmarks `found` names; nothing is changed anywhere.
[[nodiscard]] Result<BookmarkTree> readProfileBookmarks(ProfileBrowser browser, const ProfileBookmarks& found);

// The folders under `home` where the browsers of a family keep their profiles, most
// usual first.
std::vector<std::string> profileFolders(ProfileBrowser browser, const std::string& home);
// The first of those that exists, else `home`: where the open dialog starts.
std::string profileStartFolder(ProfileBrowser browser, const std::string& home);

}  // namespace brindlex
