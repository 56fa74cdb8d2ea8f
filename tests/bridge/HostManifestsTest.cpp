#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

#include "bridge/HostManifests.h"

namespace brindlex::bridge {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

json readJson(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return json::parse(text.str(), nullptr, false);
}

class HostManifestsTest : public ::testing::Test
{
protected:
    HostManifestsTest()
    {
        std::string pattern = (fs::temp_directory_path() / "brindlex-home-XXXXXX").string();
        home = mkdtemp(pattern.data());
    }
    ~HostManifestsTest() override { fs::remove_all(home); }
    std::string home;
};

TEST_F(HostManifestsTest, ManifestsNameTheProgramAndTheExtension)
{
    const std::string binary = "/opt/My \"Apps\"\\ä/brindlex-bridge";
    const json chromium = json::parse(hostManifest(BrowserFamily::Chromium, binary).value());
    EXPECT_EQ(chromium["name"], HostName);
    EXPECT_EQ(chromium["type"], "stdio");
    EXPECT_EQ(chromium["path"], binary);
    EXPECT_EQ(
        chromium["allowed_origins"], json::array({ std::string("chrome-extension://") + ChromiumExtensionId + "/" }));
    EXPECT_FALSE(chromium.contains("allowed_extensions"));
    const json firefox = json::parse(hostManifest(BrowserFamily::Firefox, binary).value());
    EXPECT_EQ(firefox["path"], binary);
    EXPECT_EQ(firefox["allowed_extensions"], json::array({ FirefoxExtensionId }));
    EXPECT_FALSE(firefox.contains("allowed_origins"));
}

TEST_F(HostManifestsTest, TheExtensionAsksForTwoPermissionsAndCarriesTheFixedIds)
{
    const json manifest = readJson(std::string(BRINDLEX_EXTENSION_SOURCE) + "/manifest.json");
    ASSERT_TRUE(manifest.is_object());
    EXPECT_EQ(manifest["manifest_version"], 3);
    EXPECT_EQ(manifest["permissions"], json::array({ "nativeMessaging", "tabs" }));
    EXPECT_FALSE(manifest.contains("host_permissions"));
    EXPECT_EQ(manifest["browser_specific_settings"]["gecko"]["id"], FirefoxExtensionId);
    // Chromium derives the id from this key; the browser test proves that the two agree.
    EXPECT_TRUE(manifest["key"].is_string());
    EXPECT_EQ(manifest["background"]["service_worker"], "bg.js");
    EXPECT_EQ(manifest["background"]["scripts"], json::array({ "bg.js" }));
}

TEST_F(HostManifestsTest, InstallWritesEveryFolderAndUninstallRemovesOnlyOurs)
{
    // Edge is installed, Brave and LibreWolf are not.
    fs::create_directories(home + "/.config/microsoft-edge");
    const Result<std::vector<std::string>> written = installManifests(home, "", "/usr/bin/brindlex-bridge");
    ASSERT_TRUE(written.ok()) << written.error().message;
    const std::vector<std::string> expected {
        home + "/.mozilla/native-messaging-hosts/org.brindlex.bridge.json",
        home + "/.config/chromium/NativeMessagingHosts/org.brindlex.bridge.json",
        home + "/.config/google-chrome/NativeMessagingHosts/org.brindlex.bridge.json",
        home + "/.config/microsoft-edge/NativeMessagingHosts/org.brindlex.bridge.json",
    };
    EXPECT_EQ(written.value(), expected);
    EXPECT_FALSE(fs::exists(home + "/.config/BraveSoftware"));
    EXPECT_FALSE(fs::exists(home + "/.librewolf"));
    EXPECT_EQ(readJson(expected[0])["allowed_extensions"], json::array({ FirefoxExtensionId }));
    EXPECT_EQ(readJson(expected[1])["path"], "/usr/bin/brindlex-bridge");

    // Installing again replaces the files with the new path.
    ASSERT_TRUE(installManifests(home, "", "/opt/b/brindlex-bridge").ok());
    EXPECT_EQ(readJson(expected[2])["path"], "/opt/b/brindlex-bridge");

    const std::string other = home + "/.mozilla/native-messaging-hosts/other.host.json";
    std::ofstream(other) << "{}";
    const Result<std::vector<std::string>> removed = uninstallManifests(home, "");
    ASSERT_TRUE(removed.ok());
    EXPECT_EQ(removed.value(), expected);
    for (const std::string& file : expected) {
        EXPECT_FALSE(fs::exists(file)) << file;
    }
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(uninstallManifests(home, "").value().empty());
}

TEST_F(HostManifestsTest, ChromiumFolderFollowsXdgConfigHome)
{
    const Result<std::vector<std::string>> written = installManifests(home, home + "/cfg", "/usr/bin/brindlex-bridge");
    ASSERT_TRUE(written.ok());
    EXPECT_TRUE(fs::exists(home + "/cfg/chromium/NativeMessagingHosts/org.brindlex.bridge.json"));
    EXPECT_FALSE(fs::exists(home + "/.config"));
}

TEST_F(HostManifestsTest, TheExtensionIsFoundBesideTheProgramOrInItsShareFolder)
{
    EXPECT_FALSE(extensionFolder(home + "/bin").has_value());
    fs::create_directories(home + "/share/brindlex/extension");
    fs::create_directories(home + "/bin");
    std::ofstream(home + "/share/brindlex/extension/manifest.json") << "{}";
    EXPECT_EQ(extensionFolder(home + "/bin"), home + "/share/brindlex/extension");
    fs::create_directories(home + "/bin/extension");
    std::ofstream(home + "/bin/extension/manifest.json") << "{}";
    EXPECT_EQ(extensionFolder(home + "/bin"), home + "/bin/extension");
}

}  // namespace
}  // namespace brindlex::bridge
