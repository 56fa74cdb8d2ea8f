// Moving, deleting and pasting many rows at once, and undoing a large delete, inside a
// database of realistic size. Each row count runs in the same process, so the times of
// 20,000 and 100,000 rows show how the work grows: a linear operation takes about five
// times as long for five times the rows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/store/Generate.h"
#include "fakes/FakePlatform.h"
#include "store/Editing.h"
#include "store/LinkStore.h"
#include "store/UndoHistory.h"

namespace {

using namespace brindlex;

// A database of 20,000 links in 2,000 folders plus a folder "Source" holding `rows`
// rows (every hundredth a folder with five links of its own) and an empty "Target".
struct World
{
    explicit World(size_t rows)
    {
        bench::generateStore(store, { 20000, 2000, 6, 3 });
        store.SetCurrentFolder(store.Root());
        target = store.CreateEntry(true, "", 6, "Target", "Folder", "");
        source = store.CreateEntry(true, "", 6, "Source", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(source));
        for (size_t i = 0; i < rows; ++i) {
            const std::string n = std::to_string(i);
            if (i % 100 == 99) {
                const std::string sub = store.CreateEntry(true, "", 6, "Sub " + n, "Folder", "");
                store.SetCurrentFolder(*store.FindFolder(sub));
                for (int j = 0; j < 5; ++j) {
                    store.CreateEntry(false, "http://inner/" + n, 5, "Inner " + n, "Http", "");
                }
                store.SetCurrentFolder(*store.FindFolder(source));
            } else {
                store.CreateEntry(false, "http://www.example.com/page" + n + ".html", 5, "Page " + n, "Http", "");
            }
        }
        store.History().Clear();
    }
    Selection allRows()
    {
        Selection selection { Pane::ListView1, {}, {} };
        for (const auto& item : store.CurrentFolder().FolderItems) {
            selection.rowIds.push_back(item->IID);
        }
        return selection;
    }

    test::FakeWorld fakes;
    LinkStore store { fakes.clock };
    Editing editing { store, fakes.messages, fakes.clipboard };
    std::string source;
    std::string target;
};

void BM_CutAndPaste(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>(static_cast<size_t>(state.range(0)));
        const Selection rows = world->allRows();
        state.ResumeTiming();
        world->editing.Cut(rows);
        world->store.SetCurrentFolder(*world->store.FindFolder(world->target));
        const PasteOutcome pasted = world->editing.Paste(Pane::ListView1);
        benchmark::DoNotOptimize(pasted.addedIds.size());
        state.PauseTiming();
        if (pasted.addedIds.size() != rows.rowIds.size()
            || !world->store.FindFolder(world->source)->FolderItems.empty()) {
            state.SkipWithError("the rows did not move");
        }
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CutAndPaste)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DragAndDrop(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>(static_cast<size_t>(state.range(0)));
        const Selection rows = world->allRows();
        state.ResumeTiming();
        const PasteOutcome dropped = world->editing.Drop(rows, world->target);
        benchmark::DoNotOptimize(dropped.addedIds.size());
        state.PauseTiming();
        if (dropped.addedIds.size() != rows.rowIds.size()) {
            state.SkipWithError("the rows did not move");
        }
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DragAndDrop)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Delete(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>(static_cast<size_t>(state.range(0)));
        const Selection rows = world->allRows();
        state.ResumeTiming();
        const DeleteOutcome deleted = world->editing.DeleteSelection(rows, [](const std::string&) { return true; });
        benchmark::DoNotOptimize(deleted.deleted);
        state.PauseTiming();
        if (!world->store.CurrentFolder().FolderItems.empty()) {
            state.SkipWithError("the rows were not deleted");
        }
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Delete)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Undo of the delete above, and redo of it.
void BM_UndoDelete(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>(static_cast<size_t>(state.range(0)));
        const Selection rows = world->allRows();
        (void)world->editing.DeleteSelection(rows, [](const std::string&) { return true; });
        state.ResumeTiming();
        const ModelChange* undone = world->store.History().Undo();
        benchmark::DoNotOptimize(undone);
        state.PauseTiming();
        if (undone == nullptr || world->store.CurrentFolder().FolderItems.size() != rows.rowIds.size()) {
            state.SkipWithError("the delete was not undone");
        }
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoDelete)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RedoDelete(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>(static_cast<size_t>(state.range(0)));
        const Selection rows = world->allRows();
        (void)world->editing.DeleteSelection(rows, [](const std::string&) { return true; });
        (void)world->store.History().Undo();
        state.ResumeTiming();
        const ModelChange* redone = world->store.History().Redo();
        benchmark::DoNotOptimize(redone);
        state.PauseTiming();
        if (redone == nullptr || !world->store.CurrentFolder().FolderItems.empty()) {
            state.SkipWithError("the delete was not redone");
        }
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RedoDelete)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
