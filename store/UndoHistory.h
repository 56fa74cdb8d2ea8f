#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/ModelChange.h"

namespace brindlex {

// The changes of the open database that can be undone, newest last, and those undone
// since the last change, which can be redone. Bounded by a number of steps and by the
// memory the steps keep alive; the oldest steps are dropped first, but the newest step
// is always kept, however large (deleting everything must stay undoable). A new change
// drops what could be redone. Starting a new database or opening one clears it; saving
// leaves it.
class UndoHistory
{
public:
    static constexpr size_t DefaultMaxSteps = 100;
    static constexpr size_t DefaultMaxBytes = size_t { 64 } << 20;

    explicit UndoHistory(size_t maxSteps = DefaultMaxSteps, size_t maxBytes = DefaultMaxBytes);

    // Ends the recording of `change` and keeps it, unless it changed nothing. Returns
    // true when it was kept.
    bool Add(ModelChange change);

    bool CanUndo() const { return !m_done.empty(); }
    bool CanRedo() const { return !m_undone.empty(); }
    // The caption of the change Undo or Redo would take back or make again, or "".
    std::string UndoCaption() const;
    std::string RedoCaption() const;

    // Takes back the newest change (or makes the last undone one again) and returns it,
    // or null when there is none. When the model no longer matches the history (it was
    // changed without being recorded), nothing is changed, the whole history is dropped
    // and the result is null.
    const ModelChange* Undo();
    const ModelChange* Redo();

    void Clear();
    void SetLimits(size_t maxSteps, size_t maxBytes);
    // Called after every change of what can be undone or redone (a window's Undo and
    // Redo items follow it).
    void SetOnChange(std::function<void()> listener) { m_onChange = std::move(listener); }
    // Where the state of a window's folder tree comes from: asked when a change begins
    // and before each undo and redo, so that every step knows the tree on both of its
    // sides. Without a source (an empty function) steps keep no tree.
    void SetTreeSource(std::function<TreeState()> source) { m_treeSource = std::move(source); }
    std::optional<TreeState> CurrentTree() const;
    size_t Steps() const { return m_done.size() + m_undone.size(); }
    size_t Bytes() const { return m_bytes; }

private:
    void trim();
    void changed() const;

    size_t m_maxSteps;
    size_t m_maxBytes;
    std::deque<ModelChange> m_done;  // oldest first
    std::deque<ModelChange> m_undone;  // the next to redo last
    size_t m_bytes = 0;
    std::function<void()> m_onChange;
    std::function<TreeState()> m_treeSource;
};

// Runs `command` and keeps what it did to the model as one step named `caption`: for
// commands that reach the model through code that does not record its own changes (an
// import, a browser adding the page it shows). The command may add, remove and reorder
// entries and folders anywhere and change folders' fields; the entries that were there
// before keep their fields. Costs a pass over the model on top of the command. Returns
// true when the command changed something and the step was kept. When the command
// throws, what it changed until then is kept as the step and the exception goes on.
bool RecordAsOneStep(LinkStore& store, std::string caption, const std::function<void()>& command);
// Keeps, as one step named `caption`, the entry `iid` that code which does not record its
// own changes has just appended to `folder` (a link a browser's Get URL made). Nothing is
// kept unless the last entry of `folder` is that one.
bool RecordAppendedEntry(LinkStore& store, std::string caption, Folder& folder, std::string_view iid);

}  // namespace brindlex
