#include "store/ListRow.h"

#include "store/Folder.h"
#include "store/Images.h"
#include "store/Text.h"

namespace brindlex {

ListRow listRow(const FolderItem& item)
{
    ListRow row;
    row.MDate = item.MDate;
    row.Description = item.Description;
    row.ID = item.IID;
    row.Cut = item.Cut;
    if (item.IsFolder) {
        row.Name = " " + trimBlanks(item.Caption);
        row.Type = "Folder";
        row.Icon = imageNumber(Image::Folder);
    } else {
        row.Name = trimBlanks(item.Caption);
        row.Type = item.URLType;
        row.Client = item.Client;
        row.URL = item.URL;
        row.Icon = item.Icon;
    }
    return row;
}

std::vector<ListRow> listRows(const Folder& folder)
{
    std::vector<ListRow> rows;
    rows.reserve(folder.FolderItems.size());
    for (const auto& item : folder.FolderItems) {
        rows.push_back(listRow(*item));
    }
    return rows;
}

}  // namespace brindlex
