#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/DateTime.h"
#include "store/InternalClipboard.h"

namespace brindlex {

class Clipboard;
class Folder;
class FolderItem;
class LinkStore;
class MessageBoxes;
class ModelChange;

// The pane a command acts on (the window's lastFocus).
enum class Pane { TreeView1, ListView1 };

// What the window must redraw after a command: nothing, the contents list
// (RefreshPanes(false) / FillList), or both panes (RefreshPanes(true)).
enum class Refresh { None, List, Full };

// What the window hands to a command: the pane with the focus, the "ID" column of every
// selected list row in row order, and the key of the selected tree node (empty for none).
struct Selection
{
    Pane pane = Pane::ListView1;
    std::vector<std::string> rowIds;
    std::string nodeKey;
};

// The results of CheckMove.
enum class MoveCheck { Allowed = 0, Subfolder = 1, SameFolder = 2 };

// The fields of the properties dialog, filled from a row or node and handed back on OK.
struct ItemProperties
{
    Pane pane = Pane::ListView1;
    std::string key;  // the entry id of the row, or the node key
    std::string Caption;
    std::string URL;
    std::string Description;
    DateTime MDate;
    int clientIndex = 0;  // the entry dialogs' client combo: entryClient(clientIndex)
    int picture = 5;  // image number of the icon shown
    bool clientEnabled = true;
};

struct PasteOutcome
{
    Refresh refresh = Refresh::List;  // Full when folders were pasted
    bool pasted = false;  // entries were pasted (or a URL taken from the system clipboard)
    std::vector<std::string> addedIds;  // new entries of CurrentFolder, in order
};

struct DeleteOutcome
{
    Refresh refresh = Refresh::None;
    bool deleted = false;
};

// Editing, move and copy over the link store: every decision and model change of the
// window's New, Rename, Delete, Properties, Cut, Copy, Paste and drop commands. The
// window turns a gesture into one of these calls and then refreshes the panes as told.
// Refusals beep or show their message box through `messages`; the system clipboard is
// read and written through `clipboard`. Every change is kept in the store's undo history
// as one step; refusals and commands that change nothing leave the history alone.
// Deleting, moving and pasting N rows takes time linear in N and the folder's size.
class Editing
{
public:
    Editing(LinkStore& store, MessageBoxes& messages, Clipboard& clipboard);
    Editing(const Editing&) = delete;
    Editing& operator=(const Editing&) = delete;

    // Takes a URL from the system clipboard into CurrentFolder as "From Clipboard" (the
    // browser link's clipboard client); returns the new entry's id or "" when refused.
    // Replaceable so that the browser link can put its own in.
    void SetClipboardGetURL(std::function<std::string()> getURL) { m_getURL = std::move(getURL); }
    std::string ClipboardGetURL();

    // A new folder entry (and Folder) in CurrentFolder; returns its id.
    std::string NewFolder();
    // The OK of the New Entry dialog: checks the URL, then the name (showing "No URL" /
    // "No Name" and returning nothing so that the dialog stays), else makes the entry
    // with the chosen client and returns its id.
    std::optional<std::string> NewEntry(
        const std::string& name, const std::string& url, const std::string& description, int clientIndex);

    // End of in-place editing of a list row (entry `iid` of CurrentFolder). Returns
    // Refresh::Full when a folder was renamed (the tree is rebuilt), else Refresh::None.
    Refresh RenameListEntry(const std::string& iid, const std::string& newText);
    // End of in-place editing of a tree node that was not cancelled.
    void RenameTreeNode(const std::string& key, const std::string& newText);

    // Asks `confirm` the question and deletes the selection unless it answers false.
    // Beeps (and shows the root message) where nothing may be deleted.
    DeleteOutcome DeleteSelection(const Selection& selection, const std::function<bool(const std::string&)>& confirm);
    // Removes entry `index` of `parentFolder`; a folder entry takes its Folder and every
    // folder below it out of the flat list. Returns false when there is no such entry.
    bool RemoveEntry(Folder& parentFolder, size_t index);
    // As above, by the entry's IID (the first entry with it).
    bool RemoveEntry(Folder& parentFolder, std::string_view iid);
    // Removes the entries with these IIDs in one pass: an id given k times removes the
    // first k entries with it, as k removals one after another would. Returns how many
    // entries went.
    size_t RemoveEntries(Folder& parentFolder, const std::vector<std::string>& iids);

    // The properties dialog's fields for the selection, or nothing (after a beep).
    std::optional<ItemProperties> PropertiesFor(const Selection& selection);
    // The dialog's OK.
    Refresh ApplyProperties(const ItemProperties& edited);

    // Cut marks the selection (list rows ghosted, a tree node tagged) and copies it.
    // Returns true when something was put on the internal clipboard.
    bool Cut(const Selection& selection);
    bool Copy(const Selection& selection);
    // Pastes into CurrentFolder. `lastFocus` decides which move checks apply; a cut
    // folder is never pasted into itself or below itself from either pane.
    PasteOutcome Paste(Pane lastFocus);
    // Moves the dragged selection into folder `destinationId` (a drop on a folder row or a
    // tree node). CurrentFolder stays what it was (the root if it moved away).
    PasteOutcome Drop(const Selection& dragged, const std::string& destinationId);

    // 0 allowed, 1 the destination is below the source, 2 it is the source itself or the
    // folder that directly holds it. Arguments are folder ids ("RootFolder" for the root).
    MoveCheck CheckMove(std::string_view sourceId, std::string_view destinationId);
    // A deep copy of `source` below `newParentId` with the id `newId`; every entry below
    // gets a new id. The caller adds the folder entry.
    void CopyFolderTree(Folder& source, const std::string& newParentId, const std::string& newId);

    const InternalClipboard& internalClipboard() const { return m_clipboard; }
    // Ids of the list rows and tree nodes that show as cut.
    bool IsCutMarked(std::string_view iid) const;
    // The id of the folder whose tree node is tagged as cut, or "".
    const std::string& TreeCutMark() const { return m_treeCutMark; }
    void ClearCutMarks();
    // The marks last until the pane that shows them is refilled: the ghosted rows until
    // the list is, the tag until the tree is. What is already on the internal clipboard
    // keeps its cut flag.
    void ClearListCutMarks();
    void ClearTreeCutMark();

    int& PasteCounter() { return m_pasteCounter; }
    int& FolderCopyCounter() { return m_folderCopyCounter; }

private:
    bool copyInto(InternalClipboard& into, const Selection& selection);
    bool refuseMove(std::string_view sourceId, std::string_view destinationId, bool parentCounts);
    PasteOutcome paste(bool parentCounts, ModelChange& change);
    std::string pasteStepCaption() const;
    size_t removeEntries(Folder& parentFolder, const std::vector<std::string>& iids, ModelChange* change);
    size_t removeMarked(Folder& parentFolder, const std::vector<char>& marked, ModelChange* change);

    LinkStore& m_store;
    MessageBoxes& m_messages;
    Clipboard& m_systemClipboard;
    std::function<std::string()> m_getURL;
    InternalClipboard m_clipboard;
    std::vector<std::weak_ptr<FolderItem>> m_cutMarks;  // entries shown as cut
    std::string m_treeCutMark;  // id of the folder whose tree node is tagged as cut
    int m_pasteCounter = 0;
    int m_folderCopyCounter = 0;
};

}  // namespace brindlex
