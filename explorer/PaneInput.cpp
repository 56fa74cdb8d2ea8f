#include "explorer/PaneInput.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeView>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "store/Images.h"

namespace brindlex {

namespace {

int keyOf(Qt::Key key)
{
    return static_cast<int>(key);
}

QTimer* popupTimer(QObject* parent, const char* name, QMenu* menu)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setSingleShot(true);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, menu, [menu] { menu->popup(QCursor::pos()); });
    return timer;
}

}  // namespace

PaneInput::PaneInput(
    QMainWindow& window, FolderPanes& panes, CommandTable& commands, const Popups& popups, QLabel& hoverText)
    : QObject(&window)
    , m_window(window)
    , m_panes(panes)
    , m_commands(commands)
    , m_popups(popups)
    , m_fileMenu(*popups.fileMenu)
    , m_hoverText(hoverText)
    , m_timer1(popupTimer(&window, "Timer1", popups.menus[2]))
    , m_timer2(popupTimer(&window, "Timer2", popups.menus[1]))
{
    FolderTree* tree = panes.TreeView1();
    tree->installEventFilter(this);
    tree->viewport()->installEventFilter(this);
    tree->viewport()->setMouseTracking(true);
    for (QAbstractItemView* view : panes.ListView1()->views()) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    // The send commands follow the selected row however it changes: a click, a key, a move
    // to another folder, a refill of the list.
    ContentsList* list = panes.ListView1();
    const auto follow = [this] { followSelection(); };
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, follow);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, follow);
    connect(&list->model(), &QAbstractItemModel::modelReset, this, follow);
}

void PaneInput::followSelection()
{
    const int row = m_panes.selectedRow();
    SetSendCommands(row >= 0 && m_panes.ListView1()->model().row(row).Icon != Image::Folder);
}

void PaneInput::SetSendCommands(bool on)
{
    m_commands.action(Command::ListSendURL)->setVisible(on);
    if (QAction* separator = m_popups.menus[1]->findChild<QAction*>(QStringLiteral("mnuStSeparator"))) {
        separator->setVisible(on);
    }
    m_commands.setEnabled(Command::SendURL, on);
}

void PaneInput::listMousePressed(int row, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        (row < 0 ? m_timer1 : m_timer2)->start();
    }
    if (row < 0) {
        m_panes.ListView1()->clearSelection();
        SetSendCommands(false);
        return;
    }
    SetSendCommands(m_panes.ListView1()->model().row(row).Icon != Image::Folder);
}

void PaneInput::showListPopup()
{
    ContentsList* list = m_panes.ListView1();
    const int row = list->currentRow();
    QMenu* menu = (row >= 0 && list->isRowSelected(row)) ? m_popups.menus[1] : m_popups.menus[2];
    QAbstractItemView* view = list->currentView();
    QPoint at = view->viewport()->mapToGlobal(QPoint(8, 8));
    if (row >= 0) {
        at = view->viewport()->mapToGlobal(view->visualRect(list->model().index(row, 0)).center());
    }
    menu->popup(at);
}

bool PaneInput::ProcessKeys(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const auto trigger = [this](Command id) {
        m_commands.action(id)->trigger();
        return true;
    };
    if (key == keyOf(Qt::Key_F4) && alt) {
        m_window.close();
        return true;
    }
    if (ctrl && !alt) {
        switch (key) {
        case Qt::Key_X:
            return trigger(Command::Cut);
        case Qt::Key_C:
            return trigger(Command::Copy);
        case Qt::Key_V:
            return trigger(Command::Paste);
        case Qt::Key_G:
            return trigger(Command::GoTo);
        // Also the actions' shortcuts; these take the keys when no shortcut did (the
        // window was not active yet).
        case Qt::Key_Z:
            return trigger(shift ? Command::Redo : Command::Undo);
        case Qt::Key_Y:
            return trigger(Command::Redo);
        case Qt::Key_A:
            m_panes.ListView1()->selectAll();
            m_panes.ListView1()->setFocus();
            return true;
        default:
            break;
        }
    }
    if ((key == keyOf(Qt::Key_Return) || key == keyOf(Qt::Key_Enter)) && alt) {
        return trigger(Command::Properties);
    }
    if (ctrl || alt) {
        return false;
    }
    switch (key) {
    case Qt::Key_F2:
        return trigger(Command::Rename);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_panes.ListView1()->hasFocus()) {
            m_panes.OpenSelectedRow();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        return trigger(Command::Delete);
    case Qt::Key_F10:
        if (!shift) {
            m_window.menuBar()->setActiveAction(m_fileMenu.menuAction());
        } else if (m_panes.lastFocus() == "TreeView1") {
            QTreeWidgetItem* node = m_panes.TreeView1()->currentItem();
            const QRect place = node ? m_panes.TreeView1()->visualItemRect(node) : QRect();
            m_popups.menus[3]->popup(m_panes.TreeView1()->viewport()->mapToGlobal(place.center()));
        } else {
            showListPopup();
        }
        return true;
    case Qt::Key_F3:
        return trigger(Command::Find);
    case Qt::Key_F6:
        m_panes.focusPane(m_panes.lastFocus() == "TreeView1" ? "ListView1" : "TreeView1");
        return true;
    case Qt::Key_F4:
        if (m_panes.isDropDownShown()) {
            m_panes.HideDropDown();
        } else {
            m_panes.ShowDropDown();
        }
        return true;
    case Qt::Key_F5:
        m_panes.RefreshPanes(true);
        return true;
    default:
        break;
    }
    return false;
}

bool PaneInput::eventFilter(QObject* watched, QEvent* event)
{
    ContentsList* list = m_panes.ListView1();
    FolderTree* tree = m_panes.TreeView1();
    const bool isListView = watched == list->iconView() || watched == list->detailsView();
    const bool isListViewport = watched == list->iconView()->viewport() || watched == list->detailsView()->viewport();
    const auto mouseAt = [event] { return static_cast<QMouseEvent*>(event)->position().toPoint(); };
    const auto mouseButton = [event] { return static_cast<QMouseEvent*>(event)->button(); };
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == tree || isListView) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (ProcessKeys(key->key(), key->modifiers())) {
                return true;
            }
        }
        break;
    case QEvent::MouseButtonPress:
        if (isListViewport) {
            listMousePressed(list->rowAt(static_cast<QWidget*>(watched), mouseAt()), mouseButton());
        } else if (watched == tree->viewport()) {
            SetSendCommands(false);
            if (mouseButton() == Qt::RightButton) {
                // The right button selects a node for the popup but keeps CurrentFolder.
                tree->setFocus(Qt::MouseFocusReason);
                if (QTreeWidgetItem* node = tree->nodeAt(mouseAt())) {
                    m_panes.selectNodeQuietly(node);
                }
                return true;
            }
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == tree->viewport() && mouseButton() == Qt::RightButton) {
            if (QTreeWidgetItem* node = tree->nodeAt(mouseAt())) {
                m_panes.selectNodeQuietly(node);
            }
            m_popups.menus[3]->popup(QCursor::pos());
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (isListViewport) {
            const int row = list->rowAt(static_cast<QWidget*>(watched), mouseAt());
            m_hoverText.setText(row < 0 ? QString() : list->model().text(row, 0));
        }
        break;
    case QEvent::Leave:
        if (isListViewport) {
            m_hoverText.setText(QString());
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace brindlex
