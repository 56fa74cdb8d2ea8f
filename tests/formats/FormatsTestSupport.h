#pragma once
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "fakes/ScopedTimeZone.h"
#include "formats/FormatText.h"
#include "store/DateTime.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"

namespace brindlex::test {

// A store with a standing clock, a recording progress window and event pump, and helpers
// that build inputs and read results back as plain strings.
struct FormatsWorld
{
    FakeClock clock;
    LinkStore store { clock };
    RecordingProgress progress;
    CountingEvents events;
    ReadContext context { progress, events };

    // Makes a folder entry and its Folder in `parent`; returns the Folder.
    Folder& addFolder(Folder& parent, const std::string& caption)
    {
        auto keep = store.CurrentFolderPtr();
        store.SetCurrentFolder(parent);
        const std::string id = store.CreateEntry(true, "", 6, caption, "Folder", "");
        store.SetCurrentFolder(*keep);
        return *store.FindFolder(id);
    }
    void addLink(Folder& parent, const std::string& caption, const std::string& url)
    {
        auto keep = store.CurrentFolderPtr();
        store.SetCurrentFolder(parent);
        store.CreateEntry(false, url, 5, caption, "Http", "");
        store.SetCurrentFolder(*keep);
    }
};

// As describe(), with each entry's date and description after its other fields:
// "path|Caption|URL|date|Description" for links, "path/|date|Description" for folders
// (the Folder's own date and description).
inline std::string describeDated(LinkStore& store)
{
    std::string out;
    std::map<const Folder*, std::string> paths;
    paths[&store.Root()] = "";
    store.WalkFolders(store.Root(), [&](Folder& folder, int) {
        const std::string& path = paths[&folder];
        for (const auto& item : folder.FolderItems) {
            if (item->IsFolder) {
                const std::string sub = path.empty() ? item->Caption : path + "\\" + item->Caption;
                const Folder* f = store.FindFolder(item->IID);
                out += sub + "/|" + (f ? formatFileDate(f->MDate) + "|" + f->Description : "?") + "\n";
                if (f != nullptr) {
                    paths.emplace(f, sub);
                }
            } else {
                out += path + "|" + item->Caption + "|" + item->URL + "|" + formatFileDate(item->MDate) + "|"
                    + item->Description + "\n";
            }
        }
        return true;
    });
    return out;
}

inline std::string crlf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines) {
        out += line + "\r\n";
    }
    return out;
}

inline ListRow linkRow(const std::string& name, const std::string& url, bool selected)
{
    ListRow row;
    row.Name = name;
    row.URL = url;
    row.Icon = 5;
    row.Selected = selected;
    return row;
}

inline ListRow folderRow(const std::string& name, bool selected)
{
    ListRow row;
    row.Name = " " + name;
    row.Icon = 6;
    row.Type = "Folder";
    row.Selected = selected;
    return row;
}

inline std::string readDataFile(const std::string& name)
{
    std::ifstream in(std::string(BRINDLEX_TEST_DATA) + "/formats/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace brindlex::test
