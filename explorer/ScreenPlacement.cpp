#include "explorer/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace brindlex {

QRect pulledOntoScreen(const QRect& frame, const QRect& available)
{
    if (available.isEmpty() || available.contains(frame)) {
        return frame;
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(available.size()));
    if (placed.right() > available.right()) {
        placed.moveRight(available.right());
    }
    if (placed.bottom() > available.bottom()) {
        placed.moveBottom(available.bottom());
    }
    if (placed.left() < available.left()) {
        placed.moveLeft(available.left());
    }
    if (placed.top() < available.top()) {
        placed.moveTop(available.top());
    }
    return placed;
}

QScreen* screenFor(const QRect& frame)
{
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best != nullptr ? best : QGuiApplication::primaryScreen();
}

}  // namespace brindlex
