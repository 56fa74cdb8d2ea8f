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
#include "bench/find/FindWorld.h"
#include "explorer/FindCommands.h"
#include "explorer/dialogs/frmFind.h"
#include "explorer/frmTarnwell.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

void BM_FindButtonOverHundredThousandEntries(benchmark::State& state)
{
    bench::WindowWorld world;
    frmTarnwell window(world.services(true));
    window.Load();
    bench::fillFindWorld(world.store);
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
