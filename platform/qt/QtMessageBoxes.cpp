#include "platform/qt/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/qt/NormalPointer.h"
#include "platform/qt/QtString.h"

namespace brindlex {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

}  // namespace

Answer QtMessageBoxes::show(const std::string& title, const std::string& text, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(qtIcon(icon), toQString(title), toQString(text), qtButtons(buttons), QApplication::activeWindow());
    const NormalPointer pointer;
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Escape or the close box: the safe answer of each set of buttons.
        return (buttons == MessageButtons::Ok)   ? Answer::Ok
            : (buttons == MessageButtons::YesNo) ? Answer::No
                                                 : Answer::Cancel;
    }
}

void QtMessageBoxes::beep()
{
    QApplication::beep();
}

}  // namespace brindlex
