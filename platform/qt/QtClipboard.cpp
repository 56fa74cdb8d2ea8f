#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/QtString.h"

namespace brindlex {

std::string QtClipboard::text() const
{
    return toUtf8(QGuiApplication::clipboard()->text());
}

void QtClipboard::setText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(toQString(text));
}

void QtClipboard::clear()
{
    QGuiApplication::clipboard()->clear();
}

}  // namespace brindlex
