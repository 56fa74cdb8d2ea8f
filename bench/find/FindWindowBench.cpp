// Find through the window over 100,000 entries in 10,000 folders: the Find button of the
// find dialog, with the real event pump between folders, the status texts and the result
// rows. Runs on the offscreen platform unless another one is chosen.
#include <string>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "bench/WindowWorld.h"
#include "explorer/FindCommands.h"
#include "explorer/dialogs/frmFind.h"
#include "explorer/frmTarnwell.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

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
    bench::WindowWorld world;
    frmTarnwell window(world.services(true));
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
    world.close(window);
}
BENCHMARK(BM_FindButtonOverHundredThousandEntries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return bench::runWindowBenchmarks(argc, argv);
}
