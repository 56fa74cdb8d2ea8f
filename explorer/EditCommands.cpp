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
#include "explorer/FolderTree.h"
#include "explorer/WaitCursor.h"
#include "explorer/dialogs/frmConfirmDelete.h"
#include "explorer/dialogs/frmNewEntry.h"
#include "explorer/dialogs/frmProperties.h"
#include "explorer/frmTarnwell.h"
#include "platform/EventPump.h"
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

EditCommands::EditCommands(frmTarnwell& window)
    : m_window(window)
    , m_labelEdit(new QTimer(&window))
    , m_treeLabelEdit(new QTimer(&window))
{
    m_labelEdit->setObjectName(QStringLiteral("tmrLabelEdit"));
    m_labelEdit->setSingleShot(true);
    m_labelEdit->setInterval(0);
    connect(m_labelEdit, &QTimer::timeout, this, [this] { editListRow(); });
    m_treeLabelEdit->setObjectName(QStringLiteral("tmrTreeLabelEdit"));
    m_treeLabelEdit->setSingleShot(true);
    m_treeLabelEdit->setInterval(0);
    connect(m_treeLabelEdit, &QTimer::timeout, this, [this] { editTreeNode(); });

    window.commands().connect(Command::NewFolder, [this] { NewFolder(); });
    window.commands().connect(Command::NewEntry, [this] { NewEntry(); });
    window.commands().connect(Command::Rename, [this] { Rename(); });
    // The popup Rename items start the edit only after the popup menu has gone.
    window.commands().connect(Command::ListRename, [this] {
        m_window.platform().events.processEvents();
        m_labelEdit->start();
    });
    window.commands().connect(Command::TreeRename, [this] {
        m_window.platform().events.processEvents();
        m_treeLabelEdit->start();
    });
    window.commands().connect(Command::Delete, [this] { DeleteSelection(); });
    window.commands().connect(Command::Properties, [this] { OpenProperties(); });
    window.commands().connect(Command::SelectAll, [this] { SelectAll(); });
    window.commands().connect(Command::InvertSelection, [this] { InvertSelection(); });
    window.commands().connect(Command::Cut, [this] { Cut(); });
    window.commands().connect(Command::Copy, [this] { Copy(); });
    window.commands().connect(Command::Paste, [this] { Paste(); });

    ContentsModel& rows = window.ListView1()->model();
    connect(&rows, &ContentsModel::nameEdited, this, &EditCommands::listNameEdited);
    connect(window.TreeView1(), &FolderTree::nodeEdited, this, &EditCommands::treeNodeEdited);
    // A refill of a pane ends the cut marks it showed.
    connect(&rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_window.editing().ClearListCutMarks(); });
    connect(window.TreeView1()->model(), &QAbstractItemModel::modelAboutToBeReset, this,
        [this] { m_window.editing().ClearTreeCutMark(); });
}

EditCommands::~EditCommands()
{
    delete m_labelEdit;
    delete m_treeLabelEdit;
}

Selection EditCommands::selection() const
{
    Selection selected;
    selected.pane = m_window.lastFocus() == "TreeView1" ? Pane::TreeView1 : Pane::ListView1;
    selected.rowIds = m_window.selectedRowIds();
    selected.nodeKey = m_window.selectedNodeKey();
    return selected;
}

int EditCommands::selectedRow() const
{
    const ContentsList* list = m_window.ListView1();
    const int current = list->currentRow();
    if (current >= 0 && list->isRowSelected(current)) {
        return current;
    }
    const std::vector<int> rows = list->selectedRows();
    return rows.empty() ? -1 : rows.front();
}

// ---------------------------------------------------------------------------------------
// New, rename

void EditCommands::NewFolder()
{
    m_window.ListView1()->clearSelection();
    const std::string id = m_window.editing().NewFolder();
    m_window.ListView1()->setFocus();
    StartRenameNewRow(id);
}

void EditCommands::StartRenameNewRow(const std::string& id)
{
    LinkStore& store = m_window.store();
    const FolderItem* item = store.FindItem(store.CurrentFolder(), id);
    if (!item) {
        return;
    }
    m_window.AddEntryToPanes(*item);
    ContentsList* list = m_window.ListView1();
    const int row = list->model().findId(toQString(id));
    list->selectRow(row);
    list->editRow(row);
}

void EditCommands::NewEntry()
{
    frmNewEntry dialog(m_window.editing(), &m_window);
    m_window.ApplyProgramFont(&dialog);
    dialog.adjustSize();
    m_window.CenterOverMainWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.newId().empty()) {
        return;
    }
    LinkStore& store = m_window.store();
    if (const FolderItem* item = store.FindItem(store.CurrentFolder(), dialog.newId())) {
        m_window.AddEntryToPanes(*item);
    }
}

void EditCommands::Rename()
{
    if (m_window.lastFocus() == "ListView1" && selectedRow() >= 0) {
        editListRow();
    } else {
        editTreeNode();
    }
}

void EditCommands::editListRow()
{
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    m_window.ListView1()->setFocus();
    m_window.ListView1()->editRow(row);
}

void EditCommands::editTreeNode()
{
    FolderTree* tree = m_window.TreeView1();
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
    const Refresh refresh = m_window.editing().RenameListEntry(iid, toUtf8(text));
    ContentsModel& rows = m_window.ListView1()->model();
    const int at = rows.findId(id);
    if (std::optional<ListRow> row = rowFor(m_window.store().CurrentFolder(), iid); row && at >= 0) {
        row->Cut = rows.row(at).Cut;
        rows.replaceRow(at, std::move(*row));
    }
    if (refresh == Refresh::Full) {
        m_window.BuildTree();
    }
}

void EditCommands::treeNodeEdited(QTreeWidgetItem* node, const QString& text, bool cancelled)
{
    LinkStore& store = m_window.store();
    const std::string key = toUtf8(FolderTree::key(node));
    const bool isRoot = key == RootFolderId;
    if (cancelled) {
        // A cancelled edit changes nothing, the root's name included.
        if (!isRoot) {
            if (const Folder* folder = store.FindFolder(key)) {
                FolderTree::setNodeText(node, toQString(trimBlanks(folder->Caption)));
            }
            m_window.RefreshPanes(false);
        }
        return;
    }

    m_window.editing().RenameTreeNode(key, toUtf8(text));
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
        m_window.FillList();
        m_window.SelectFolderNode();
        return;
    }
    m_window.SelectFolderNode();
    m_window.FillList();
    const QString path = FolderTree::fullPath(node);
    m_window.setWindowTitle(m_window.DisplayPath() == 1 ? tr("Brindlex - ") + path : tr("Brindlex"));
}

// ---------------------------------------------------------------------------------------
// Delete, properties, selection

void EditCommands::DeleteSelection()
{
    WaitCursor wait;
    const DeleteOutcome outcome = m_window.editing().DeleteSelection(selection(), [this](const std::string& question) {
        NormalCursor normal;
        frmConfirmDelete dialog(toQString(question), &m_window);
        m_window.ApplyProgramFont(&dialog);
        dialog.adjustSize();
        m_window.CenterOverMainWindow(&dialog);
        return dialog.exec() == QDialog::Accepted;
    });
    if (!outcome.deleted) {
        return;
    }
    if (outcome.refresh == Refresh::Full) {
        m_window.RefreshPanes(true);
    } else {
        m_window.FillList();
    }
    m_window.focusPane(m_window.lastFocus());
}

void EditCommands::OpenProperties()
{
    Selection selected = selection();
    const bool fromList = selected.pane == Pane::ListView1;
    if (fromList) {
        const int row = selectedRow();
        selected.rowIds.clear();
        if (row >= 0) {
            selected.rowIds.push_back(toUtf8(m_window.ListView1()->model().text(row, ContentsModel::IdColumn)));
        }
    }
    const std::optional<ItemProperties> properties = m_window.editing().PropertiesFor(selected);
    if (!properties) {
        return;
    }
    frmProperties dialog(*properties, &m_window);
    m_window.ApplyProgramFont(&dialog);
    dialog.adjustSize();
    m_window.CenterOverMainWindow(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        const Refresh refresh = m_window.editing().ApplyProperties(dialog.edited());
        ContentsModel& rows = m_window.ListView1()->model();
        if (refresh == Refresh::Full) {
            m_window.RefreshPanes(true);
        } else if (refresh == Refresh::List) {
            m_window.RefreshPanes(false);
        } else if (fromList) {
            // The row shows the new values at once.
            const int at = rows.findId(toQString(properties->key));
            if (std::optional<ListRow> row = rowFor(m_window.store().CurrentFolder(), properties->key);
                row && at >= 0) {
                row->Cut = rows.row(at).Cut;
                rows.replaceRow(at, std::move(*row));
            }
        }
        m_window.ListView1()->selectRow(rows.findId(toQString(properties->key)));
    }
    if (fromList) {
        m_window.ListView1()->setFocus();
    }
}

void EditCommands::SelectAll()
{
    m_window.ListView1()->selectAll();
}

void EditCommands::InvertSelection()
{
    ContentsList* list = m_window.ListView1();
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
    m_window.editing().Cut(selection());
    showCutMarks();
}

void EditCommands::Copy()
{
    WaitCursor wait;
    m_window.editing().Copy(selection());
    showCutMarks();
}

void EditCommands::Paste()
{
    WaitCursor wait;
    const Pane focus = m_window.lastFocus() == "TreeView1" ? Pane::TreeView1 : Pane::ListView1;
    const PasteOutcome outcome = m_window.editing().Paste(focus);
    refreshAfterPaste(outcome.refresh == Refresh::Full);
}

void EditCommands::refreshAfterPaste(bool full)
{
    m_window.RefreshPanes(full);
    showCutMarks();
}

void EditCommands::showCutMarks()
{
    LinkStore& store = m_window.store();
    Folder& current = store.CurrentFolder();
    ContentsModel& rows = m_window.ListView1()->model();
    for (int row = 0; row < rows.rowCount(); ++row) {
        const FolderItem* item = store.FindItem(current, rows.row(row).ID);
        rows.setCut(row, item && item->Cut);
    }
    const QString tagged = toQString(m_window.editing().TreeCutMark());
    QTreeWidgetItemIterator it(m_window.TreeView1());
    for (; *it; ++it) {
        const bool cut = !tagged.isEmpty() && FolderTree::key(*it) == tagged;
        if ((*it)->data(0, FolderTree::TagRole).isValid() != cut) {
            (*it)->setData(0, FolderTree::TagRole, cut ? QVariant(QStringLiteral("True")) : QVariant());
        }
    }
}

}  // namespace brindlex
