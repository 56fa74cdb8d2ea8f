#include "explorer/UndoCommands.h"

#include <algorithm>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLineEdit>
#include <QScrollBar>
#include <QSet>
#include <QTreeWidgetItemIterator>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "explorer/LongWork.h"
#include "explorer/WaitCursor.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/QtString.h"
#include "store/LinkStore.h"
#include "store/ModelChange.h"
#include "store/UndoHistory.h"

namespace brindlex {

namespace {

// "&Undo" alone, or followed by the step's name; an ampersand in a name is shown as one.
QString itemText(const QString& verb, const std::string& caption)
{
    if (caption.empty()) {
        return verb;
    }
    QString name = toQString(caption);
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return verb + QLatin1Char(' ') + name;
}

// Selects the rows of these ids in one go (a step can bring back a whole folder's rows).
void selectRows(ContentsList& list, const std::vector<std::string>& ids)
{
    if (ids.empty()) {
        return;
    }
    const ContentsModel& rows = list.model();
    QHash<QString, int> rowOf;
    rowOf.reserve(rows.rowCount());
    for (int row = 0; row < rows.rowCount(); ++row) {
        rowOf.insert(rows.text(row, ContentsModel::IdColumn), row);
    }
    std::vector<int> chosen;
    chosen.reserve(ids.size());
    for (const std::string& id : ids) {
        if (const auto found = rowOf.constFind(toQString(id)); found != rowOf.constEnd()) {
            chosen.push_back(found.value());
        }
    }
    if (chosen.empty()) {
        return;
    }
    std::sort(chosen.begin(), chosen.end());
    QItemSelection selection;
    const int lastColumn = ContentsModel::ColumnCount - 1;
    for (size_t i = 0; i < chosen.size();) {
        size_t end = i + 1;
        while (end < chosen.size() && chosen[end] <= chosen[end - 1] + 1) {
            ++end;
        }
        selection.select(rows.index(chosen[i], 0), rows.index(chosen[end - 1], lastColumn));
        i = end;
    }
    list.clearSelection();
    list.selectRow(chosen.front());
    list.selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.scrollToRow(chosen.front());
}

// The folders open in the tree (every expanded node, also below a closed one, which opens
// with it) and its scroll position.
TreeState treeState(const FolderTree& tree)
{
    TreeState state;
    for (QTreeWidgetItemIterator it(const_cast<FolderTree*>(&tree)); *it; ++it) {
        if ((*it)->isExpanded()) {
            state.openFolders.push_back(toUtf8(FolderTree::key(*it)));
        }
    }
    state.scroll = tree.verticalScrollBar()->value();
    return state;
}

// Opens the folders of `state` and closes every other; folders that are no longer there
// are passed over. The scroll position is taken back last, once the rows are laid out.
void showTreeState(FolderTree& tree, const TreeState& state)
{
    QSet<QString> open;
    open.reserve(static_cast<qsizetype>(state.openFolders.size()));
    for (const std::string& id : state.openFolders) {
        open.insert(toQString(id));
    }
    tree.setUpdatesEnabled(false);
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        const bool expand = open.contains(FolderTree::key(*it));
        if ((*it)->isExpanded() != expand) {
            (*it)->setExpanded(expand);
        }
    }
    tree.setUpdatesEnabled(true);
    tree.doItemsLayout();
    tree.verticalScrollBar()->setValue(state.scroll);
}

}  // namespace

UndoCommands::UndoCommands(FolderPanes& panes, CommandTable& commands, const LongWork& work, MessageBoxes& messages)
    : m_panes(panes)
    , m_commands(commands)
    , m_work(work)
    , m_messages(messages)
{
    commands.connect(Command::Undo, [this] { Undo(); });
    commands.connect(Command::Redo, [this] { Redo(); });
    commands.action(Command::Undo)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    commands.action(Command::Redo)
        ->setShortcuts({ QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    UndoHistory& history = panes.store().History();
    history.SetOnChange([this] { showState(); });
    history.SetTreeSource([this] { return treeState(*m_panes.TreeView1()); });
    showState();
}

UndoCommands::~UndoCommands()
{
    UndoHistory& history = m_panes.store().History();
    history.SetOnChange({});
    history.SetTreeSource({});
}

void UndoCommands::Undo()
{
    step(false);
}

void UndoCommands::Redo()
{
    step(true);
}

void UndoCommands::step(bool forward)
{
    UndoHistory& history = m_panes.store().History();
    if (m_work.running() || editingInPlace() || !(forward ? history.CanRedo() : history.CanUndo())) {
        m_messages.beep();
        return;
    }
    WaitCursor wait;
    const ModelChange* change = forward ? history.Redo() : history.Undo();
    if (!change) {
        // The model no longer matched the history, which has been dropped; nothing changed.
        m_messages.beep();
        return;
    }
    showStep(*change, forward);
}

void UndoCommands::showStep(const ModelChange& change, bool forward)
{
    LinkStore& store = m_panes.store();
    m_panes.RefreshPanes(change.ChangesFolders());
    m_panes.SelectFolderNode();
    // Selecting the folder's node opens the folders above it; the tree is then shown as
    // it was on this side of the step.
    if (const auto& tree = forward ? change.TreeAfter() : change.TreeBefore()) {
        showTreeState(*m_panes.TreeView1(), *tree);
    }
    const Folder& current = store.CurrentFolder();
    selectRows(*m_panes.ListView1(), forward ? change.EntriesAdded(current) : change.EntriesRemoved(current));
    m_panes.focusPane(m_panes.lastFocus());
}

void UndoCommands::showState()
{
    const UndoHistory& history = m_panes.store().History();
    m_commands.action(Command::Undo)->setText(itemText(tr("&Undo"), history.UndoCaption()));
    m_commands.action(Command::Redo)->setText(itemText(tr("&Redo"), history.RedoCaption()));
    m_commands.setEnabled(Command::Undo, history.CanUndo());
    m_commands.setEnabled(Command::Redo, history.CanRedo());
}

bool UndoCommands::editingInPlace() const
{
    const auto* editor = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
    return editor && (m_panes.TreeView1()->isAncestorOf(editor) || m_panes.ListView1()->isAncestorOf(editor));
}

}  // namespace brindlex
