#pragma once
#include <QRect>

class QWidget;

namespace brindlex {

class DialogHost;
struct WindowGeometry;

// The main window's place on the screen against its stored geometry (in twips). The window
// is placed as the twips say (they stay exactly as stored while it stays there), or placed
// by the program (the first run's size, a pull onto the screen: stored as soon as it is
// shown), or settled, when every move and resize by the user is stored.
class WindowPlacement
{
public:
    WindowPlacement(QWidget& window, WindowGeometry& geometry, const DialogHost& units);

    // Sizes and places the window from the stored geometry, pulled onto the screen; with
    // no size `stored`, the first run's share of the screen, in its middle.
    void restore(bool stored);
    // While the window is shown in its normal state: settles it once the window manager
    // has framed it, then stores a frame the user has changed.
    void follow();

private:
    // Once the window manager has framed the shown window: a frame that reaches off the
    // screen is brought onto it, and the place the twips describe is noted.
    void settle();

    enum class Placement { Restored, Placed, Settled };

    QWidget& m_window;
    WindowGeometry& m_geometry;
    const DialogHost& m_units;
    Placement m_placement = Placement::Settled;
    bool m_checked = false;  // the shown frame was checked against the screen
    QRect m_shown;  // frame position and size the stored twips describe
};

}  // namespace brindlex
