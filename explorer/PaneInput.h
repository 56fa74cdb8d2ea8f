#pragma once
#include <QObject>

class QLabel;
class QMainWindow;
class QMenu;
class QTimer;

namespace brindlex {

class CommandTable;
class FolderPanes;

// The keyboard and the mouse on the panes of the main window: the program's keys, the
// popup menus of a right click (deferred until the click has ended), the send commands
// that follow the clicked list row, and the status bar's text of the row under the pointer.
class PaneInput : public QObject
{
    Q_OBJECT

public:
    // The menus the input opens: popups 1..4 (index 0 unused) and the menu bar's File menu.
    struct Popups
    {
        QMenu* menus[5];
        QMenu* fileMenu;
    };

    // Everything must outlive the input; it watches the panes' views.
    PaneInput(QMainWindow& window, FolderPanes& panes, CommandTable& commands, const Popups& popups, QLabel& hoverText);

    // A key on a pane: true when it was the program's and has been acted on.
    bool ProcessKeys(int key, Qt::KeyboardModifiers modifiers);
    // The send commands (list popup "Send URL", File > Send URL, toolbar client button).
    void SetSendCommands(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The send commands on when the selected row is a link, off otherwise.
    void followSelection();
    void listMousePressed(int row, Qt::MouseButton button);
    void showListPopup();

    QMainWindow& m_window;
    FolderPanes& m_panes;
    CommandTable& m_commands;
    Popups m_popups;
    QMenu& m_fileMenu;
    QLabel& m_hoverText;
    QTimer* m_timer1;  // opens mnuPU2
    QTimer* m_timer2;  // opens mnuPU1
};

}  // namespace brindlex
