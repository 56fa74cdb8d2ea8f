#include "bridge/HostManifests.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <system_error>

#include "bridge/ManifestTemplates.h"
#include "store/AtomicFile.h"

namespace brindlex::bridge {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string manifestFile(const std::string& folder)
{
    return folder + "/" + HostName + ".json";
}

bool isFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

}  // namespace

Result<std::string> hostManifest(BrowserFamily family, const std::string& binary)
{
    const char* const text = family == BrowserFamily::Chromium ? ChromiumManifestTemplate : FirefoxManifestTemplate;
    json manifest = json::parse(text, nullptr, false);
    if (!manifest.is_object()) {
        return Error { ErrorKind::Format, "the host manifest template is not a JSON object" };
    }
    // Set as a JSON value, so that any path (quotes, backslashes, non-ASCII) is written right.
    manifest["path"] = binary;
    return manifest.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::vector<ManifestFolder> manifestFolders(const std::string& home, const std::string& configHome)
{
    const std::string config = configHome.empty() ? home + "/.config" : configHome;
    return {
        { BrowserFamily::Firefox, home + "/.mozilla/native-messaging-hosts", true, home + "/.mozilla" },
        { BrowserFamily::Firefox, home + "/.librewolf/native-messaging-hosts", false, home + "/.librewolf" },
        { BrowserFamily::Chromium, config + "/chromium/NativeMessagingHosts", true, config + "/chromium" },
        { BrowserFamily::Chromium, config + "/google-chrome/NativeMessagingHosts", true, config + "/google-chrome" },
        { BrowserFamily::Chromium, config + "/microsoft-edge/NativeMessagingHosts", false, config + "/microsoft-edge" },
        { BrowserFamily::Chromium, config + "/BraveSoftware/Brave-Browser/NativeMessagingHosts", false,
            config + "/BraveSoftware/Brave-Browser" },
    };
}

Result<std::vector<std::string>> installManifests(
    const std::string& home, const std::string& configHome, const std::string& binary)
{
    std::vector<std::string> written;
    for (const ManifestFolder& place : manifestFolders(home, configHome)) {
        if (!place.always && !isFolder(place.browserFolder)) {
            continue;
        }
        const Result<std::string> manifest = hostManifest(place.family, binary);
        if (!manifest.ok()) {
            return manifest.error();
        }
        std::error_code error;
        fs::create_directories(place.folder, error);
        if (error) {
            return Error { ErrorKind::Io, place.folder + ": " + error.message() };
        }
        const std::string file = manifestFile(place.folder);
        const Status saved = writeFileAtomically(file, [&](std::ostream& out) {
            out << manifest.value();
            return Status::Ok();
        });
        if (!saved.ok()) {
            return saved.error();
        }
        written.push_back(file);
    }
    return written;
}

Result<std::vector<std::string>> uninstallManifests(const std::string& home, const std::string& configHome)
{
    std::vector<std::string> removed;
    for (const ManifestFolder& place : manifestFolders(home, configHome)) {
        const std::string file = manifestFile(place.folder);
        std::error_code error;
        if (fs::remove(file, error)) {
            removed.push_back(file);
        } else if (error) {
            return Error { ErrorKind::Io, file + ": " + error.message() };
        }
    }
    return removed;
}

std::optional<std::string> extensionFolder(const std::string& binaryFolder)
{
    for (const std::string& candidate :
        { binaryFolder + "/extension", binaryFolder + "/../share/brindlex/extension" }) {
        std::error_code error;
        if (fs::is_regular_file(candidate + "/manifest.json", error)) {
            return fs::weakly_canonical(candidate, error).string();
        }
    }
    return std::nullopt;
}

}  // namespace brindlex::bridge
