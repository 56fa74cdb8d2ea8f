#include "platform/qt/QtProgramStarter.h"

#include <QProcess>
#include <QStringList>

#include "platform/qt/QtString.h"

namespace brindlex {

bool QtProgramStarter::start(const std::string& program, const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const std::string& argument : arguments) {
        args.append(toQString(argument));
    }
    return QProcess::startDetached(toQString(program), args);
}

}  // namespace brindlex
