#pragma once
#include <array>
#include <functional>
#include <vector>

#include <QHash>
#include <QString>

#include "explorer/Commands.h"

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QToolBar;
class QWidget;

namespace brindlex {

// The actions of the main window's commands, made from one table, and the menus, popups
// and toolbar built from them. Every action starts disabled; a controller connects a
// handler to a command, which enables it. A command that follows another (a popup item
// or toolbar button with a twin in the menu bar) triggers that one and is enabled with
// it, so connecting the leader is enough; connecting a follower is a programming error.
// A handler that runs out of memory (std::bad_alloc) ends there: the table hands the
// command to its out-of-memory report instead of letting the exception reach Qt.
class CommandTable
{
public:
    // The actions belong to `owner`.
    explicit CommandTable(QWidget& owner);
    CommandTable(const CommandTable&) = delete;
    CommandTable& operator=(const CommandTable&) = delete;

    QAction* action(Command id) const { return m_actions[static_cast<size_t>(id)]; }
    // The action whose objectName is `name` ("mnuImpNetscape", "Toolbar1_5"), or null.
    QAction* find(const QString& name) const { return m_byName.value(name, nullptr); }
    // The control name of a command.
    static const char* name(Command id);

    // Connects `handler` to the command's action and enables it.
    void connect(Command id, std::function<void()> handler);
    // Enables or disables a command; a command nobody connected stays disabled.
    void setEnabled(Command id, bool enabled);
    // Runs the command's handler even while its action is disabled; false when none is
    // connected.
    bool run(Command id) const;
    // Called with the command whose handler ran out of memory; without one, the handler's
    // std::bad_alloc goes on to the caller.
    void setOutOfMemoryReport(std::function<void(Command)> report) { m_outOfMemory = std::move(report); }
    // A command's menu text without its "&" marks and trailing " ..." ("Save As", "Find").
    static QString caption(Command id);

    // The menu bar's File, Edit, View, Tools and Help menus, in that order.
    std::vector<QMenu*> buildMenuBar(QMenuBar& bar);
    // Popup menu 1..4 ("mnuPU1" .. "mnuPU4"), owned by the owner widget.
    QMenu* buildPopup(int number);
    // The toolbar's buttons 2..23 ("Toolbar1_2" .. "Toolbar1_23") after whatever it holds;
    // the actions of the slots that are separators are returned as well, by index.
    std::array<QAction*, 24> buildToolbar(QToolBar& toolbar);

private:
    void fill(QMenu& menu, int layout);
    void follow(QAction& follower, Command leader);
    void invoke(Command id) const;

    QWidget& m_owner;
    std::array<QAction*, CommandCount> m_actions {};
    std::array<std::function<void()>, CommandCount> m_handlers;
    QHash<QString, QAction*> m_byName;
    std::function<void(Command)> m_outOfMemory;
};

}  // namespace brindlex
