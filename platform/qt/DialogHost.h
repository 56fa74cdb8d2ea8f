#pragma once
#include <functional>

class QWidget;

namespace brindlex {

struct ProgramOptions;

// What a dialog needs from the main window: a parent, the program font and a place over
// the window. Twips (1440 per inch) are converted at the window's logical resolution.
class DialogHost
{
public:
    // Both must outlive the host; the options give the program font as it is now.
    DialogHost(QWidget& main, const ProgramOptions& options);

    QWidget* parent() const { return &m_main; }
    // The program font on `window` and every control on it.
    void ApplyProgramFont(QWidget* window) const;
    // Centres `dialog` over the main window, kept on the main window's screen.
    void CenterOverMainWindow(QWidget* dialog) const;
    // Centres `window` on its screen.
    static void CenterWindow(QWidget* window);
    // The program font, the size its contents want, and centred over the main window.
    void prepare(QWidget* dialog) const;
    // Closes a window a command showed for a while (a progress window, the splash) and,
    // when the program had the focus, gives it back to the main window and its pane: a
    // window manager may leave no window active then, and the menu bar's keys dead.
    void closeTransient(QWidget* window) const;
    // How the main window gives the focus back to its pane.
    void setRefocus(std::function<void()> refocus) { m_refocus = std::move(refocus); }

    int toPixels(double twips) const;
    double toTwips(int pixels) const;

private:
    QWidget& m_main;
    const ProgramOptions& m_options;
    std::function<void()> m_refocus;
};

}  // namespace brindlex
