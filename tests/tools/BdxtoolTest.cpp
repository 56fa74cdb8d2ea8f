#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "store/DatabaseFile.h"
#include "tools/bdxtool/Commands.h"

namespace brindlex::bdxtool {
namespace {

std::string dataPath(const std::string& name)
{
    return std::string(BRINDLEX_TEST_DATA) + "/db/" + name;
}

class BdxtoolTest : public ::testing::Test
{
protected:
    std::filesystem::path dir;
    std::string out;
    std::string err;

    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path()
            / ("bdxtool-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ::setenv("BRINDLEX_HOME", dir.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("BRINDLEX_HOME");
        std::filesystem::remove_all(dir);
    }
    int run(int (*command)(const std::vector<std::string>&), const std::vector<std::string>& args)
    {
        std::ostringstream o, e;
        auto* oldOut = std::cout.rdbuf(o.rdbuf());
        auto* oldErr = std::cerr.rdbuf(e.rdbuf());
        const int status = command(args);
        std::cout.rdbuf(oldOut);
        std::cerr.rdbuf(oldErr);
        out = o.str();
        err = e.str();
        return status;
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(BdxtoolTest, InfoAndListDescribeADatabase)
{
    EXPECT_EQ(run(runInfo, { dataPath("small.bdx") }), 0);
    EXPECT_EQ(out, "folders=1 entries=2 links=1 layout=current\n");
    EXPECT_EQ(run(runInfo, { dataPath("older.bdx") }), 0);
    EXPECT_EQ(out, "folders=2 entries=4 links=2 layout=older\n");

    EXPECT_EQ(run(runList, { dataPath("older.bdx") }), 0);
    EXPECT_EQ(out,
        "Old Links\tNews\t\tFolder\n"
        "Old Links\\News\tTimes\thttp://www.nytimes.com/\tHttp\n"
        "Old Links\\News\tLocal\t\tFolder\n"
        "Old Links\\News\\Local\tCafé\thttp://cafe.example/\tHttp\n");
    EXPECT_EQ(run(runList, { dataPath("older.bdx"), "--folder", "Old Links\\News\\Local" }), 0);
    EXPECT_EQ(out, "Old Links\\News\\Local\tCafé\thttp://cafe.example/\tHttp\n");
}

TEST_F(BdxtoolTest, BadInputAndUsageErrors)
{
    std::ofstream(path("bad.bdx"), std::ios::binary) << "\"Version: 1.1\"\r\ngarbage\r\n";
    const std::pair<int (*)(const std::vector<std::string>&), std::vector<std::string>> usages[] = {
        { runInfo, {} },
        { runList, { dataPath("small.bdx"), "--bogus", "x" } },
        { runList, { dataPath("small.bdx"), "--folder" } },
        { runImport, { "bdx", dataPath("small.bdx") } },
        { runImport, { "nosuch", dataPath("small.bdx"), "--into", path("a.bdx") } },
        { runExport, { "bdx", path("o.bdx"), "--from", dataPath("small.bdx"), "--range", "7" } },
    };
    for (const auto& [command, args] : usages) {
        EXPECT_EQ(run(command, args), 2);
        EXPECT_FALSE(err.empty());
    }
    const std::pair<int (*)(const std::vector<std::string>&), std::vector<std::string>> bad[] = {
        { runInfo, { path("missing.bdx") } },
        { runInfo, { path("bad.bdx") } },
        { runList, { dataPath("small.bdx"), "--folder", "NewDB\\Nope" } },
        { runImport, { "bdx", path("bad.bdx"), "--into", path("a.bdx") } },
    };
    for (const auto& [command, args] : bad) {
        EXPECT_EQ(run(command, args), 1);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_FALSE(std::filesystem::exists(path("a.bdx")));
}

TEST_F(BdxtoolTest, ImportCreatesTheDatabaseAndExportWritesItBack)
{
    const std::string db = path("links.bdx");
    EXPECT_EQ(run(runImport, { "bdx", dataPath("small.bdx"), dataPath("older.bdx"), "--into", db }), 0) << err;
    EXPECT_EQ(run(runInfo, { db }), 0);
    EXPECT_EQ(out, "folders=5 entries=8 links=3 layout=current\n");
    EXPECT_EQ(run(runImport, { "bdx", dataPath("small.bdx"), "--into", db, "--folder", "links\\Old Links\\News" }), 0)
        << err;
    EXPECT_EQ(run(runList, { db, "--folder", "links\\Old Links\\News\\NewDB" }), 0);
    EXPECT_EQ(out,
        "links\\Old Links\\News\\NewDB\tStart\tfile:C:\\PAGE.HTM\tFile\n"
        "links\\Old Links\\News\\NewDB\tTools\t\tFolder\n");

    EXPECT_EQ(run(runExport, { "bdx", path("copy.bdx"), "--from", dataPath("small.bdx") }), 0) << err;
    std::ifstream copy(path("copy.bdx"), std::ios::binary);
    std::ifstream original(dataPath("small.bdx"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}),
        std::string(std::istreambuf_iterator<char>(original), {}));
}

}  // namespace
}  // namespace brindlex::bdxtool
