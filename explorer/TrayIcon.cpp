#include "explorer/TrayIcon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "explorer/Icons.h"

namespace brindlex {

TrayIcon::TrayIcon(QWidget& window, QMenu& popup, QAction& restore, std::function<bool()> available)
    : QObject(&window)
    , m_window(window)
    , m_popup(popup)
    , m_restore(restore)
    , m_available(std::move(available))
{
}

bool TrayIcon::available() const
{
    return m_available ? m_available() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setShown(bool shown)
{
    if (shown && !m_icon) {
        m_icon = new QSystemTrayIcon(programIcon(), &m_window);
        m_icon->setObjectName(QStringLiteral("TN1"));
        m_icon->setToolTip(tr("Brindlex"));
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Context) {
                showPopup();
            } else if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                restoreWindow();
            }
        });
        m_icon->show();
    } else if (!shown && m_icon) {
        m_icon->hide();
        m_icon->deleteLater();
        m_icon = nullptr;
    }
}

bool TrayIcon::follow(bool wanted)
{
    const bool shown = wanted && available();
    if (shown == (m_icon != nullptr)) {
        return false;
    }
    setShown(shown);
    return !shown;
}

void TrayIcon::showPopup()
{
    m_restore.setEnabled(m_window.isHidden() || m_window.isMinimized());
    m_command = 2;
    m_popup.exec(QCursor::pos());
    if (m_command == 0) {
        restoreWindow();
    }
}

void TrayIcon::restoreWindow()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

}  // namespace brindlex
