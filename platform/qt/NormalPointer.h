#pragma once
#include <QGuiApplication>

namespace brindlex {

// Shows the normal pointer for its lifetime while a long command shows the hourglass:
// a message box or dialog that asks the user something must not appear under it. The
// hourglass comes back when the box closes and the command goes on.
class NormalPointer
{
public:
    NormalPointer()
        : m_pushed(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_pushed) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~NormalPointer()
    {
        if (m_pushed) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;

private:
    bool m_pushed;
};

}  // namespace brindlex
