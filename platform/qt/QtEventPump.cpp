#include "platform/qt/QtEventPump.h"

#include <QCoreApplication>

namespace brindlex {

void QtEventPump::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace brindlex
