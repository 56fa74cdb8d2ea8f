#include "platform/qt/DialogHost.h"

#include <cmath>

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "platform/qt/QtString.h"
#include "settings/ProgramSettings.h"

namespace brindlex {

namespace {

// The frame size a window will be shown at. A window not yet shown nor sized by its code
// gets the size its layout asks for now (it would get it only when shown, after it was
// placed by a size it did not have yet); one not yet framed by the window manager is
// given the frame of `framed`, a window that has one.
QSize shownFrameSize(QWidget* window, const QWidget* framed)
{
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) {
        window->adjustSize();
    }
    QSize size = window->frameGeometry().size();
    if (framed != nullptr && size == window->size()) {
        size += framed->frameGeometry().size() - framed->size();
    }
    return size;
}

}  // namespace

DialogHost::DialogHost(QWidget& main, const ProgramOptions& options)
    : m_main(main)
    , m_options(options)
{
}

void DialogHost::ApplyProgramFont(QWidget* window) const
{
    QFont font = window->font();
    font.setFamily(toQString(m_options.ProgramFont));
    if (m_options.ProgramFontSize > 0) {
        font.setPointSize(m_options.ProgramFontSize);
    }
    window->setFont(font);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->setFont(font);
    }
}

void DialogHost::CenterWindow(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size = shownFrameSize(window, nullptr);
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void DialogHost::CenterOverMainWindow(QWidget* dialog) const
{
    const QRect main = m_main.frameGeometry();
    const QSize size = shownFrameSize(dialog, &m_main);
    int left = main.x() + main.width() / 2 - size.width() / 2;
    int top = main.y() + main.height() / 2 - size.height() / 2;
    if (const QScreen* screen = m_main.screen()) {
        const QRect area = screen->geometry();
        if (left + size.width() > area.right() + 1) {
            left = area.right() + 1 - size.width();
        }
        if (top + size.height() > area.bottom() + 1) {
            top = area.bottom() + 1 - size.height();
        }
    }
    dialog->move(qMax(0, left), qMax(0, top));
}

void DialogHost::prepare(QWidget* dialog) const
{
    ApplyProgramFont(dialog);
    dialog->adjustSize();
    CenterOverMainWindow(dialog);
}

void DialogHost::closeTransient(QWidget* window) const
{
    const bool ours = QApplication::activeWindow() != nullptr;
    window->close();
    if (ours && m_main.isVisible() && !m_main.isMinimized()) {
        m_main.activateWindow();
        if (m_refocus) {
            m_refocus();
        }
    }
}

int DialogHost::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips * m_main.logicalDpiX() / 1440.0));
}

double DialogHost::toTwips(int pixels) const
{
    return pixels * 1440.0 / m_main.logicalDpiX();
}

}  // namespace brindlex
