#include "browser/BrowserPrograms.h"

#include <string>

namespace brindlex {

namespace {

struct BrowserProgram
{
    const char* fileName;  // lower case
    int box;
};

constexpr BrowserProgram Programs[] = {
    { "netscape.exe", 0 },
    { "iexplore.exe", 1 },
    { "emosaic.exe", 2 },
    { "airmos.exe", 3 },
    // Firefox family: Netscape Navigator's heirs.
    { "firefox", 0 },
    { "firefox-esr", 0 },
    { "librewolf", 0 },
    // Chromium family.
    { "chromium", 1 },
    { "chromium-browser", 1 },
    { "google-chrome", 1 },
    { "google-chrome-stable", 1 },
    { "microsoft-edge", 1 },
    { "microsoft-edge-stable", 1 },
    { "brave-browser", 1 },
    { "brave-browser-stable", 1 },
};

}  // namespace

std::string_view ProgramFileName(std::string_view path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

int BrowserPathBox(std::string_view fileName)
{
    std::string lower(fileName);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    for (const BrowserProgram& program : Programs) {
        if (lower == program.fileName) {
            return program.box;
        }
    }
    return -1;
}

}  // namespace brindlex
