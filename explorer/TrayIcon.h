#pragma once
#include <functional>

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace brindlex {

// The main window's tray icon (TN1) and its popup. The icon brings the window back on a
// click; its popup offers Restore (acted on at once) and Close (left for the window to act
// on when it can). The icon exists only while it is shown.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    // `popup` is the icon's menu and `restore` its Restore item, enabled while `window` is
    // hidden or minimised. `available` tells whether the desktop shows a system tray now;
    // empty, Qt is asked.
    TrayIcon(QWidget& window, QMenu& popup, QAction& restore, std::function<bool()> available);

    bool available() const;
    void setShown(bool shown);
    QSystemTrayIcon* icon() const { return m_icon; }

    // The icon follows the desktop's tray while it is `wanted`: gone with it, back with it.
    // True when it went away just now.
    bool follow(bool wanted);
    // Counts a tick of the window's timer; true every eighth, when the tray is looked for.
    bool lookDue() { return ++m_ticks % 8 == 0; }

    // The popup's choice: -1 none, 0 Restore, 1 Close, 2 the popup closed without one.
    int command() const { return m_command; }
    void setCommand(int command) { m_command = command; }

private:
    void showPopup();
    void restoreWindow();

    QWidget& m_window;
    QMenu& m_popup;
    QAction& m_restore;
    std::function<bool()> m_available;
    QSystemTrayIcon* m_icon = nullptr;  // a child of the window, while shown
    int m_ticks = 0;
    int m_command = -1;
};

}  // namespace brindlex
