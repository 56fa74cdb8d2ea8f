#include "store/UndoHistory.h"

#include <utility>

#include "store/LinkStore.h"

namespace brindlex {

UndoHistory::UndoHistory(size_t maxSteps, size_t maxBytes)
    : m_maxSteps(maxSteps)
    , m_maxBytes(maxBytes)
{
}

bool UndoHistory::Add(ModelChange change)
{
    if (!change.Finish()) {
        return false;
    }
    for (const ModelChange& dropped : m_undone) {
        m_bytes -= dropped.Bytes();
    }
    m_undone.clear();
    m_bytes += change.Bytes();
    m_done.push_back(std::move(change));
    trim();
    changed();
    return true;
}

std::string UndoHistory::UndoCaption() const
{
    return m_done.empty() ? std::string() : m_done.back().Caption();
}

std::string UndoHistory::RedoCaption() const
{
    return m_undone.empty() ? std::string() : m_undone.back().Caption();
}

const ModelChange* UndoHistory::Undo()
{
    if (m_done.empty()) {
        return nullptr;
    }
    std::optional<TreeState> tree = CurrentTree();
    ModelChange& change = m_done.back();
    if (!change.Undo()) {
        Clear();
        return nullptr;
    }
    m_bytes -= change.Bytes();
    change.SetTreeAfter(std::move(tree));
    m_bytes += change.Bytes();
    m_undone.push_back(std::move(m_done.back()));
    m_done.pop_back();
    changed();
    return &m_undone.back();
}

const ModelChange* UndoHistory::Redo()
{
    if (m_undone.empty()) {
        return nullptr;
    }
    std::optional<TreeState> tree = CurrentTree();
    ModelChange& change = m_undone.back();
    if (!change.Redo()) {
        Clear();
        return nullptr;
    }
    m_bytes -= change.Bytes();
    change.SetTreeBefore(std::move(tree));
    m_bytes += change.Bytes();
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    changed();
    return &m_done.back();
}

std::optional<TreeState> UndoHistory::CurrentTree() const
{
    if (!m_treeSource) {
        return std::nullopt;
    }
    return m_treeSource();
}

void UndoHistory::Clear()
{
    const bool had = Steps() != 0;
    m_done.clear();
    m_undone.clear();
    m_bytes = 0;
    if (had) {
        changed();
    }
}

void UndoHistory::SetLimits(size_t maxSteps, size_t maxBytes)
{
    m_maxSteps = maxSteps;
    m_maxBytes = maxBytes;
    trim();
    changed();
}

void UndoHistory::changed() const
{
    if (m_onChange) {
        m_onChange();
    }
}

void UndoHistory::trim()
{
    // What can be redone goes before what can be undone: it is the furthest from the
    // present state.
    while (Steps() > 1 && (Steps() > m_maxSteps || m_bytes > m_maxBytes)) {
        std::deque<ModelChange>& from = m_undone.empty() ? m_done : m_undone;
        m_bytes -= from.front().Bytes();
        from.pop_front();
    }
}

bool RecordAsOneStep(LinkStore& store, std::string caption, const std::function<void()>& command)
{
    ModelChange change(store, std::move(caption));
    change.WillChangeAllLists();
    try {
        command();
    } catch (...) {
        // What the command did before it failed stays in the model; kept as the step, it
        // can still be undone, and the steps before it stay usable.
        store.History().Add(std::move(change));
        throw;
    }
    return store.History().Add(std::move(change));
}

bool RecordAppendedEntry(LinkStore& store, std::string caption, Folder& folder, std::string_view iid)
{
    auto& items = folder.FolderItems;
    if (items.empty() || items.back()->IID != iid || items.back()->IsFolder) {
        return false;
    }
    // The step is recorded as if it were being made: the entry is taken off and put back.
    std::shared_ptr<FolderItem> added = std::move(items.back());
    items.pop_back();
    ModelChange change(store, std::move(caption));
    change.WillChangeEntries(folder);
    items.push_back(std::move(added));
    return store.History().Add(std::move(change));
}

}  // namespace brindlex
