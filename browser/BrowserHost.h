#pragma once
#include <functional>
#include <string>

namespace brindlex {

class FolderItem;

// What the browser link needs from the main window: the contents list's selection,
// adding a captured entry to the list, and the loading window shown while a browser
// program is started.
class BrowserHost
{
public:
    virtual ~BrowserHost() = default;
    // The contents list's selected item, or null when nothing is selected.
    virtual const FolderItem* SelectedItem() = 0;
    // Adds the entry `iid`, just created in CurrentFolder, to the contents list.
    virtual void AddEntryToList(const std::string& iid) = 0;
    // Shows the loading window for `browser` ("Loading " + browser), lets it paint,
    // runs `openBrowser` and closes the window again.
    virtual void LoadBrowser(const std::string& browser, const std::function<void()>& openBrowser) = 0;
};

}  // namespace brindlex
