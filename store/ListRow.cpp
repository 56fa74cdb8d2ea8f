#include "store/ListRow.h"

#include "store/Folder.h"

namespace brindlex {

namespace {

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<ListRow> listRows(const Folder& folder)
{
    std::vector<ListRow> rows;
    rows.reserve(folder.FolderItems.size());
    for (const auto& item : folder.FolderItems) {
        ListRow row;
        row.MDate = item->MDate;
        row.Description = item->Description;
        row.ID = item->IID;
        row.Cut = item->Cut;
        if (item->IsFolder) {
            row.Name = " " + trimmed(item->Caption);
            row.Type = "Folder";
            row.Icon = 6;
        } else {
            row.Name = trimmed(item->Caption);
            row.Type = item->URLType;
            row.Client = item->Client;
            row.URL = item->URL;
            row.Icon = item->Icon;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace brindlex
