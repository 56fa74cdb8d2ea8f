#pragma once
#include <string>

#include <QTemporaryDir>

#include "explorer/Services.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakePlatform.h"
#include "platform/qt/QtEventPump.h"
#include "settings/SettingsStore.h"
#include "store/LinkStore.h"

namespace brindlex {
class frmTarnwell;
}

namespace brindlex::bench {

// The world a benchmark of the main window runs in: fakes of the desktop services,
// settings in memory past the first start, and an application directory in a temporary
// folder ($BRINDLEX_HOME points there while the world lives).
class WindowWorld
{
public:
    WindowWorld();
    ~WindowWorld();
    WindowWorld(const WindowWorld&) = delete;
    WindowWorld& operator=(const WindowWorld&) = delete;

    // The services for a window. With `realEvents` the window lets the real events run
    // (a progress window, a dialog beside the window); else the fake pump answers.
    Services services(bool realEvents = false);
    // Closes `window`, answering "No" to the save question.
    void close(frmTarnwell& window);
    std::string homePath() const { return home.path().toStdString(); }

    QTemporaryDir home;
    test::FakeWorld fakes;
    QtEventPump events;
    test::FakeFileDialogs dialogs;
    MemorySettings settings;
    LinkStore store { fakes.clock };
    std::string commandLine;
};

// The main of a window benchmark: the offscreen platform unless another one is chosen,
// the application object, then every benchmark registered.
int runWindowBenchmarks(int argc, char** argv);

}  // namespace brindlex::bench
