#pragma once
#include <optional>
#include <string>
#include <vector>

#include "store/Result.h"

namespace brindlex::bridge {

// The name the browsers know the host by, and the extension's fixed ids.
constexpr const char* HostName = "org.brindlex.bridge";
constexpr const char* ChromiumExtensionId = "fmpmhabnjfmaiggcablhjlejebpcldmp";
constexpr const char* FirefoxExtensionId = "bridge@brindlex.org";

enum class BrowserFamily { Chromium, Firefox };

// The host manifest for `family` naming the host program `binary`, made from the
// template shipped in bridge/manifests/ (share/brindlex/ once installed).
Result<std::string> hostManifest(BrowserFamily family, const std::string& binary);

// A folder in which browsers of one family look for the user's host manifests. Folders
// that are not `always` are only used when `browserFolder` (the browser's own settings
// folder) exists, so that no folder is made for a browser that is not installed.
struct ManifestFolder
{
    BrowserFamily family;
    std::string folder;
    bool always;
    std::string browserFolder;
};
// `home` is $HOME, `configHome` $XDG_CONFIG_HOME (empty: home/.config).
std::vector<ManifestFolder> manifestFolders(const std::string& home, const std::string& configHome);

// Writes the manifest naming `binary` into every folder that applies, making the
// folder when needed. Returns the files written.
Result<std::vector<std::string>> installManifests(
    const std::string& home, const std::string& configHome, const std::string& binary);
// Removes the manifests of this host from every folder; returns the files removed.
Result<std::vector<std::string>> uninstallManifests(const std::string& home, const std::string& configHome);

// The unpacked extension for a host program in `binaryFolder`: "extension" beside it
// (the build tree), else "../share/brindlex/extension" (an installed program).
std::optional<std::string> extensionFolder(const std::string& binaryFolder);

}  // namespace brindlex::bridge
