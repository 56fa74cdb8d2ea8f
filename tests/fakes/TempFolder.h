#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>

namespace brindlex::test {

// A fresh folder for one test, removed afterwards, with helpers that write and read
// files as plain strings.
class TempFolder
{
public:
    TempFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path()
            / ("bdx-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::string file = *this / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // The names in the folder (not below it).
    std::set<std::string> names() const
    {
        std::set<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            out.insert(entry.path().filename().string());
        }
        return out;
    }
    static mode_t mode(const std::string& file)
    {
        struct stat st
        {
        };
        ::lstat(file.c_str(), &st);
        return st.st_mode & 07777;
    }

private:
    std::filesystem::path m_path;
};

}  // namespace brindlex::test
