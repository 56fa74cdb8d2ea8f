#include "store/ListRow.h"

#include "store/Folder.h"
#include "store/Images.h"
#include "store/Text.h"

namespace brindlex {

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
            row.Name = " " + trimBlanks(item->Caption);
            row.Type = "Folder";
            row.Icon = imageNumber(Image::Folder);
        } else {
            row.Name = trimBlanks(item->Caption);
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
