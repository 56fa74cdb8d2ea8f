#include "bench/WindowWorld.h"

#include <cstdlib>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "explorer/frmTarnwell.h"
#include "platform/LargePageHeap.h"

namespace brindlex::bench {

WindowWorld::WindowWorld()
{
    qputenv("BRINDLEX_HOME", home.path().toLocal8Bit());
    settings.set("Browser", "FirstLoad", "999");
}

WindowWorld::~WindowWorld()
{
    qunsetenv("BRINDLEX_HOME");
}

Services WindowWorld::services(bool realEvents)
{
    const Platform fake = fakes.platform();
    EventPump& pump = realEvents ? static_cast<EventPump&>(events) : fake.events;
    return Services { store, Platform { fake.clipboard, fake.messages, fake.clock, fake.programs, pump }, settings,
        dialogs, homePath(), commandLine };
}

void WindowWorld::close(frmTarnwell& window)
{
    fakes.messages.answerNext(Answer::No);
    window.close();
}

int runWindowBenchmarks(int argc, char** argv)
{
    // As the program itself starts.
    restartWithLargePageHeap(argv);
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace brindlex::bench
