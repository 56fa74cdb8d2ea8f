#include "app/World.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/qt/QtString.h"

namespace brindlex {

std::string applicationDirectory()
{
    const QByteArray home = qgetenv("BRINDLEX_HOME");
    QString folder;
    if (!home.isEmpty()) {
        folder = QString::fromLocal8Bit(home);
    } else {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tarnwell");
    }
    QDir().mkpath(folder);
    return toUtf8(QDir::cleanPath(QDir(folder).absolutePath()));
}

World::World(std::string commandLine)
    : programDir(applicationDirectory())
    , commandLine(std::move(commandLine))
{
}

Services World::services()
{
    return Services { store, Platform { clipboard, *shownMessages, clock, programs, events }, settings, fileDialogs,
        programDir, commandLine, newDatabase, {} };
}

}  // namespace brindlex
