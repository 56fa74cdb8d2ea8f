// Find through the window over 100,000 entries in 10,000 folders: the Find button of the
// find dialog, with the real event pump between folders, the status texts and the result
// rows. Runs on the offscreen platform unless another one is chosen.
#include <cstdlib>
#include <string>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "explorer/FindCommands.h"
#include "explorer/Services.h"
#include "explorer/dialogs/frmFind.h"
#include "explorer/frmTarnwell.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakePlatform.h"
#include "platform/qt/QtEventPump.h"
#include "settings/SettingsStore.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

struct BenchWorld
{
    BenchWorld()
    {
        qputenv("BRINDLEX_HOME", home.path().toLocal8Bit());
        settings.set("Browser", "FirstLoad", "999");
    }
    Services services()
    {
        return Services { store, Platform { fakes.clipboard, fakes.messages, fakes.clock, fakes.programs, events },
            settings, dialogs, home.path().toStdString(), {} };
    }

    QTemporaryDir home;
    test::FakeWorld fakes;
    QtEventPump events;
    test::FakeFileDialogs dialogs;
    MemorySettings settings;
    LinkStore store { fakes.clock };
};

// 1,000 top folders with 9 sub-folders each; every folder holds 10 links, ten of each
// top folder's captioned "News n".
void fill(LinkStore& store)
{
    for (int top = 0; top < 1000; ++top) {
        store.SetCurrentFolder(store.Root());
        Folder& topFolder = *store.FindFolder(store.CreateEntry(true, "", 6, "Group " + std::to_string(top), "", ""));
        for (int sub = 0; sub < 9; ++sub) {
            store.SetCurrentFolder(topFolder);
            store.SetCurrentFolder(
                *store.FindFolder(store.CreateEntry(true, "", 6, "Sub " + std::to_string(sub), "", "")));
            for (int n = 0; n < 10; ++n) {
                store.CreateEntry(false, "http://example.com/" + std::to_string(n), 5,
                    "Some Page Title " + std::to_string(top * 100 + sub * 10 + n), "Http", "");
            }
        }
        store.SetCurrentFolder(topFolder);
        for (int n = 0; n < 10; ++n) {
            store.CreateEntry(false, "http://example.org/", 5, "News " + std::to_string(n), "Http", "");
        }
    }
    store.SetCurrentFolder(store.Root());
}

void BM_FindButtonOverHundredThousandEntries(benchmark::State& state)
{
    BenchWorld world;
    frmTarnwell window(world.services());
    window.Load();
    fill(world.store);
    window.RefreshPanes(true);
    window.action(QStringLiteral("mnuFind"))->trigger();
    frmFind* find = window.findChild<FindCommands*>()->findDialog();
    find->Text1()->setText(state.range(0) != 0 ? QStringLiteral("news 5") : QStringLiteral("News 5"));
    for (auto _ : state) {
        find->Command1()->click();
    }
    state.counters["rows"] = find->ListView1()->topLevelItemCount();
    find->close();
    world.fakes.messages.answerNext(Answer::No);
    window.close();
}
BENCHMARK(BM_FindButtonOverHundredThousandEntries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
