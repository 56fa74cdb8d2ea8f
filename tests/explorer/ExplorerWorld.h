#pragma once
#include <memory>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include "explorer/Services.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakePlatform.h"
#include "platform/qt/QtSettingsStore.h"
#include "store/LinkStore.h"

namespace brindlex::test {

// A fresh world for a window test: fakes of the desktop services, a real settings file
// and application directory in temporary folders ($BRINDLEX_CONFIG and $BRINDLEX_HOME
// point there while the world lives).
class ExplorerWorld
{
public:
    ExplorerWorld()
    {
        qputenv("BRINDLEX_HOME", home.path().toLocal8Bit());
        qputenv("BRINDLEX_CONFIG", config.path().toLocal8Bit());
        settings = std::make_unique<QtSettingsStore>();
    }
    ~ExplorerWorld()
    {
        qunsetenv("BRINDLEX_HOME");
        qunsetenv("BRINDLEX_CONFIG");
    }

    Services services()
    {
        return Services { store, fakes.platform(), *settings, fileDialogs, homePath(), commandLine, false,
            [this] { return trayAvailable; } };
    }
    std::string homePath() const { return home.path().toStdString(); }
    // A second store on the same file, as the next start of the program sees it.
    std::unique_ptr<QtSettingsStore> reopenSettings() const { return std::make_unique<QtSettingsStore>(); }

    QTemporaryDir home;
    QTemporaryDir config;
    FakeWorld fakes;
    FakeFileDialogs fileDialogs;
    std::unique_ptr<QtSettingsStore> settings;
    LinkStore store { fakes.clock };
    std::string commandLine;
    bool trayAvailable = true;  // whether the desktop has a system tray, at every look
};

}  // namespace brindlex::test
