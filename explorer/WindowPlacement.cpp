#include "explorer/WindowPlacement.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include "explorer/ScreenPlacement.h"
#include "platform/qt/DialogHost.h"
#include "settings/ProgramSettings.h"

namespace brindlex {

WindowPlacement::WindowPlacement(QWidget& window, WindowGeometry& geometry, const DialogHost& units)
    : m_window(window)
    , m_geometry(geometry)
    , m_units(units)
{
}

void WindowPlacement::restore(bool stored)
{
    QWidget& window = m_window;
    m_checked = false;
    if (!stored) {
        // The first run: a share of the screen, in its middle.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        window.resize(
            QSize(area.width() * 3 / 5, area.height() * 3 / 5).expandedTo(window.minimumSize()).boundedTo(area.size()));
        window.move(area.x() + (area.width() - window.width()) / 2, area.y() + (area.height() - window.height()) / 2);
        m_placement = Placement::Placed;
        return;
    }
    QSize size(m_units.toPixels(m_geometry.Width), m_units.toPixels(m_geometry.Height));
    if (size.width() <= 0 || size.height() <= 0) {
        size = window.size();
    }
    size = size.expandedTo(window.minimumSize());
    // Stored on a larger screen, or at another scale: the frame (its title bar allowed
    // for, the window manager has not framed the window yet) is pulled onto the screen.
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QRect frame(
        QPoint(m_units.toPixels(m_geometry.Left), m_units.toPixels(m_geometry.Top)), size + QSize(0, title));
    const QScreen* screen = screenFor(frame);
    const QRect placed = screen ? pulledOntoScreen(frame, screen->availableGeometry()) : frame;
    window.resize(placed.size() - QSize(0, title));
    window.move(placed.topLeft());
    m_placement = placed == frame ? Placement::Restored : Placement::Placed;
}

void WindowPlacement::follow()
{
    settle();
    const QRect shown(m_window.frameGeometry().topLeft(), m_window.size());
    if (m_placement == Placement::Settled && shown != m_shown) {
        m_shown = shown;
        const auto twips = [this](int pixels) { return static_cast<int>(std::lround(m_units.toTwips(pixels))); };
        m_geometry.Top = twips(shown.top());
        m_geometry.Left = twips(shown.left());
        m_geometry.Height = twips(shown.height());
        m_geometry.Width = twips(shown.width());
    }
}

void WindowPlacement::settle()
{
    if (m_placement == Placement::Settled) {
        return;
    }
    const QRect frame = m_window.frameGeometry();
    if (!m_checked) {
        // The frame the window manager gave may be larger than the one allowed for.
        m_checked = true;
        if (const QScreen* screen = screenFor(frame)) {
            const QRect placed = pulledOntoScreen(frame, screen->availableGeometry());
            if (placed != frame) {
                m_window.resize(placed.size() - (frame.size() - m_window.size()));
                m_window.move(placed.topLeft());
                m_placement = Placement::Placed;
                return;  // settled at the next look, where the window manager put it
            }
        }
    }
    // Restored: the stored twips describe this place, and stay exactly as they are until
    // the user moves or resizes the window. Placed: stored from here on.
    m_shown = m_placement == Placement::Restored ? QRect(frame.topLeft(), m_window.size()) : QRect();
    m_placement = Placement::Settled;
}

}  // namespace brindlex
