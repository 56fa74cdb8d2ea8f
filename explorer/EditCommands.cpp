#include "explorer/EditCommands.h"

#include <optional>
#include <vector>

#include <QAbstractItemModel>
#include <QAction>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "explorer/WaitCursor.h"
#include "explorer/dialogs/frmConfirmDelete.h"
#include "explorer/dialogs/frmNewEntry.h"
#include "explorer/dialogs/frmProperties.h"
#include "platform/EventPump.h"
#include "platform/qt/DialogHost.h"
#include "platform/qt/QtString.h"
#include "store/Editing.h"
#include "store/Folder.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/Text.h"

namespace brindlex {

namespace {

// The normal pointer for its lifetime, over an hourglass shown around a command.
class NormalCursor
{
public:
    NormalCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QGuiApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

// The row the list shows for entry `id` of `folder`.
std::optional<ListRow> rowFor(const Folder& folder, const std::string& id)
{
    for (ListRow& row : listRows(folder)) {
        if (row.ID == id) {
            return std::move(row);
        }
    }
    return std::nullopt;
}

}  // namespace

EditCommands::EditCommands(
    FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs, Editing& editing, EventPump& events)
    : m_panes(panes)
    , m_dialogs(dialogs)
    , m_editing(editing)
    , m_events(events)
    , m_labelEdit(new QTimer(&panes))
    , m_treeLabelEdit(new QTimer(&panes))
{
    m_labelEdit->setObjectName(QStringLiteral("tmrLabelEdit"));
    m_labelEdit->setSingleShot(true);
    m_labelEdit->setInterval(0);
    connect(m_labelEdit, &QTimer::timeout, this, [this] { editListRow(); });
    m_treeLabelEdit->setObjectName(QStringLiteral("tmrTreeLabelEdit"));
    m_treeLabelEdit->setSingleShot(true);
    m_treeLabelEdit->setInterval(0);
    connect(m_treeLabelEdit, &QTimer::timeout, this, [this] { editTreeNode(); });

    commands.connect(Command::NewFolder, [this] { NewFolder(); });
    commands.connect(Command::NewEntry, [this] { NewEntry(); });
    commands.connect(Command::Rename, [this] { Rename(); });
    // The popup Rename items start the edit only after the popup menu has gone.
    commands.connect(Command::ListRename, [this] {
        m_events.processEvents();
        m_labelEdit->start();
    });
    commands.connect(Command::TreeRename, [this] {
        m_events.processEvents();
        m_treeLabelEdit->start();
    });
    commands.connect(Command::Delete, [this] { DeleteSelection(); });
    commands.connect(Command::Properties, [this] { OpenProperties(); });
    commands.connect(Command::SelectAll, [this] { SelectAll(); });
    commands.connect(Command::InvertSelection, [this] { InvertSelection(); });
    commands.connect(Command::Cut, [this] { Cut(); });
    commands.connect(Command::Copy, [this] { Copy(); });
    commands.connect(Command::Paste, [this] { Paste(); });

    ContentsModel& rows = panes.ListView1()->model();
    connect(&rows, &ContentsModel::nameEdited, this, &EditCommands::listNameEdited);
    connect(panes.TreeView1(), &FolderTree::nodeEdited, this, &EditCommands::treeNodeEdited);
    // A refill of a pane ends the cut marks it showed.
    connect(&rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_editing.ClearListCutMarks(); });
    connect(panes.TreeView1()->model(), &QAbstractItemModel::modelAboutToBeReset, this,
        [this] { m_editing.ClearTreeCutMark(); });
}

EditCommands::~EditCommands()
{
    delete m_labelEdit;
    delete m_treeLabelEdit;
}

// ---------------------------------------------------------------------------------------
// New, rename

void EditCommands::NewFolder()
{
    m_panes.ListView1()->clearSelection();
    const std::string id = m_editing.NewFolder();
    m_panes.ListView1()->setFocus();
    StartRenameNewRow(id);
}

void EditCommands::StartRenameNewRow(const std::string& id)
{
    LinkStore& store = m_panes.store();
    const FolderItem* item = store.FindItem(store.CurrentFolder(), id);
    if (!item) {
        return;
    }
    m_panes.AddEntryToPanes(*item);
    ContentsList* list = m_panes.ListView1();
    const int row = list->model().findId(toQString(id));
    list->selectRow(row);
    list->editRow(row);
}

void EditCommands::NewEntry()
{
    frmNewEntry dialog(m_editing, m_dialogs.parent());
    m_dialogs.prepare(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.newId().empty()) {
        return;
    }
    LinkStore& store = m_panes.store();
    if (const FolderItem* item = store.FindItem(store.CurrentFolder(), dialog.newId())) {
        m_panes.AddEntryToPanes(*item);
    }
}

void EditCommands::Rename()
{
    if (m_panes.lastFocus() == "ListView1" && m_panes.selectedRow() >= 0) {
        editListRow();
    } else {
        editTreeNode();
    }
}

void EditCommands::editListRow()
{
    const int row = m_panes.selectedRow();
    if (row < 0) {
        return;
    }
    m_panes.ListView1()->setFocus();
    m_panes.ListView1()->editRow(row);
}

void EditCommands::editTreeNode()
{
    FolderTree* tree = m_panes.TreeView1();
    QTreeWidgetItem* node = tree->currentItem();
    // A hidden tree (single pane) cannot show an editor.
    if (!node || !tree->isVisible()) {
        return;
    }
    tree->setFocus(Qt::OtherFocusReason);
    tree->editNode(node);
}

void EditCommands::listNameEdited(const QString& id, const QString& text)
{
    const std::string iid = toUtf8(id);
    const Refresh refresh = m_editing.RenameListEntry(iid, toUtf8(text));
    ContentsModel& rows = m_panes.ListView1()->model();
    const int at = rows.findId(id);
    if (std::optional<ListRow> row = rowFor(m_panes.store().CurrentFolder(), iid); row && at >= 0) {
        row->Cut = rows.row(at).Cut;
        rows.replaceRow(at, std::move(*row));
    }
    if (refresh == Refresh::Full) {
        m_panes.BuildTree();
    }
}

void EditCommands::treeNodeEdited(QTreeWidgetItem* node, const QString& text, bool cancelled)
{
    LinkStore& store = m_panes.store();
    const std::string key = toUtf8(FolderTree::key(node));
    const bool isRoot = key == RootFolderId;
    if (cancelled) {
        // A cancelled edit changes nothing, the root's name included.
        if (!isRoot) {
            if (const Folder* folder = store.FindFolder(key)) {
                FolderTree::setNodeText(node, toQString(trimBlanks(folder->Caption)));
            }
            m_panes.RefreshPanes(false);
        }
        return;
    }

    m_editing.RenameTreeNode(key, toUtf8(text));
    Folder* folder = store.FindFolderOrRoot(key);
    if (!folder) {
        return;
    }
    FolderTree::setNodeText(node, toQString(folder->Caption));
    // The folders below keep their stored paths in step with the tree (Go To Folder
    // matches typed paths against them).
    std::vector<QTreeWidgetItem*> below { node };
    while (!below.empty()) {
        QTreeWidgetItem* at = below.back();
        below.pop_back();
        if (Folder* shown = store.FindFolderOrRoot(toUtf8(FolderTree::key(at)))) {
            shown->Path = toUtf8(FolderTree::fullPath(at));
        }
        for (int i = 0; i < at->childCount(); ++i) {
            below.push_back(at->child(i));
        }
    }

    if (isRoot) {
        m_panes.FillList();
        m_panes.SelectFolderNode();
        return;
    }
    m_panes.SelectFolderNode();
    m_panes.FillList();
    Q_EMIT titleChanged(FolderTree::fullPath(node));
}

// ---------------------------------------------------------------------------------------
// Delete, properties, selection

void EditCommands::DeleteSelection()
{
    WaitCursor wait;
    const DeleteOutcome outcome = m_editing.DeleteSelection(m_panes.selection(), [this](const std::string& question) {
        NormalCursor normal;
        frmConfirmDelete dialog(toQString(question), m_dialogs.parent());
        m_dialogs.prepare(&dialog);
        return dialog.exec() == QDialog::Accepted;
    });
    if (!outcome.deleted) {
        return;
    }
    if (outcome.refresh == Refresh::Full) {
        m_panes.RefreshPanes(true);
    } else {
        m_panes.FillList();
    }
    m_panes.focusPane(m_panes.lastFocus());
}

void EditCommands::OpenProperties()
{
    Selection selected = m_panes.selection();
    const bool fromList = selected.pane == Pane::ListView1;
    if (fromList) {
        const int row = m_panes.selectedRow();
        selected.rowIds.clear();
        if (row >= 0) {
            selected.rowIds.push_back(toUtf8(m_panes.ListView1()->model().text(row, ContentsModel::IdColumn)));
        }
    }
    const std::optional<ItemProperties> properties = m_editing.PropertiesFor(selected);
    if (!properties) {
        return;
    }
    frmProperties dialog(*properties, m_dialogs.parent());
    m_dialogs.prepare(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        const Refresh refresh = m_editing.ApplyProperties(dialog.edited());
        ContentsModel& rows = m_panes.ListView1()->model();
        if (refresh == Refresh::Full) {
            m_panes.RefreshPanes(true);
        } else if (refresh == Refresh::List) {
            m_panes.RefreshPanes(false);
        } else if (fromList) {
            // The row shows the new values at once.
            const int at = rows.findId(toQString(properties->key));
            if (std::optional<ListRow> row = rowFor(m_panes.store().CurrentFolder(), properties->key); row && at >= 0) {
                row->Cut = rows.row(at).Cut;
                rows.replaceRow(at, std::move(*row));
            }
        }
        m_panes.ListView1()->selectRow(rows.findId(toQString(properties->key)));
    }
    if (fromList) {
        m_panes.ListView1()->setFocus();
    }
}

void EditCommands::SelectAll()
{
    m_panes.ListView1()->selectAll();
}

void EditCommands::InvertSelection()
{
    ContentsList* list = m_panes.ListView1();
    if (list->rowCount() == 0) {
        return;
    }
    const ContentsModel& rows = list->model();
    const QItemSelection all(rows.index(0, 0), rows.index(list->rowCount() - 1, ContentsModel::ColumnCount - 1));
    list->selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

// ---------------------------------------------------------------------------------------
// Cut, copy, paste

void EditCommands::Cut()
{
    WaitCursor wait;
    m_editing.Cut(m_panes.selection());
    showCutMarks();
}

void EditCommands::Copy()
{
    WaitCursor wait;
    m_editing.Copy(m_panes.selection());
    showCutMarks();
}

void EditCommands::Paste()
{
    WaitCursor wait;
    const Pane focus = m_panes.lastFocus() == "TreeView1" ? Pane::TreeView1 : Pane::ListView1;
    const PasteOutcome outcome = m_editing.Paste(focus);
    refreshAfterPaste(outcome.refresh == Refresh::Full);
}

void EditCommands::refreshAfterPaste(bool full)
{
    m_panes.RefreshPanes(full);
    showCutMarks();
}

void EditCommands::showCutMarks()
{
    LinkStore& store = m_panes.store();
    Folder& current = store.CurrentFolder();
    ContentsModel& rows = m_panes.ListView1()->model();
    for (int row = 0; row < rows.rowCount(); ++row) {
        const FolderItem* item = store.FindItem(current, rows.row(row).ID);
        rows.setCut(row, item && item->Cut);
    }
    const QString tagged = toQString(m_editing.TreeCutMark());
    QTreeWidgetItemIterator it(m_panes.TreeView1());
    for (; *it; ++it) {
        const bool cut = !tagged.isEmpty() && FolderTree::key(*it) == tagged;
        if ((*it)->data(0, FolderTree::TagRole).isValid() != cut) {
            (*it)->setData(0, FolderTree::TagRole, cut ? QVariant(QStringLiteral("True")) : QVariant());
        }
    }
}

}  // namespace brindlex
