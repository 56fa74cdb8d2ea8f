#include "store/GoToHistory.h"

#include "settings/SettingsStore.h"
#include "store/CaseFold.h"
#include "store/Folder.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

constexpr const char* Section = "GoToFolder";

std::string key(size_t n)
{
    return "PathHistory" + std::to_string(n);
}

}  // namespace

std::vector<std::string> GoToHistory::load(const SettingsStore& settings)
{
    std::vector<std::string> rows;
    for (size_t n = 0; n < MaxRows; ++n) {
        std::string path = settings.get(Section, key(n), "");
        if (!path.empty()) {
            rows.push_back(std::move(path));
        }
    }
    return rows;
}

void GoToHistory::save(SettingsStore& settings, const std::vector<std::string>& rows)
{
    for (size_t n = 0; n < MaxRows; ++n) {
        settings.set(Section, key(n), n < rows.size() ? rows[n] : std::string());
    }
}

void GoToHistory::remember(std::vector<std::string>& rows, const std::string& path)
{
    for (const std::string& row : rows) {
        if (row == path) {
            return;
        }
    }
    while (rows.size() >= MaxRows) {
        rows.pop_back();
    }
    rows.insert(rows.begin(), path);
}

Folder* goToFolderTarget(LinkStore& store, std::string_view text)
{
    if (equalFolded(text, "brindlexes")) {
        return &store.Root();
    }
    for (const auto& folder : store.Root().SubFolders) {
        if (equalFolded(folder->Path, text)) {
            return folder.get();
        }
    }
    return nullptr;
}

std::string cannotFindText(std::string_view text)
{
    return "Cannot find '" + std::string(text) + "'. Make sure path and filename are correct.";
}

}  // namespace brindlex
