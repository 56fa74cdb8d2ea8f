// Moving, deleting and pasting many rows at once, and undoing a large delete, inside a
// database of realistic size; and every kind of step undone and redone on a million links. Each row count runs in the
// same process, so the times of 20,000 and 100,000 rows show how the work grows: a linear operation takes about five
// times as long for five times the rows.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/store/Generate.h"
#include "fakes/FakePlatform.h"
#include "platform/LargePageHeap.h"
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

// Each kind of step on a database of a million links: the time of making it, of undoing
// it and of redoing it (counters do_ms, undo_ms, redo_ms, averaged over the iterations)
// and the memory the history counts for it (step_bytes) beside what the heap grew by while
// it was made (heap_growth: what the step keeps beyond what left the model, plus what the
// change itself added). A step costs what it changed, not
// the size of the database; only an import (recorded as one step by comparing the lists
// before and after) pays for a pass over the model.
struct MillionLinks
{
    MillionLinks()
    {
        bench::generateStore(store, { 1000000, 50000, 6, 7 });
        store.SetCurrentFolder(store.Root());
        target = store.CreateEntry(true, "", 6, "Target", "Folder", "");
        source = store.CreateEntry(true, "", 6, "Source", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(source));
        for (int i = 0; i < 1000; ++i) {
            store.CreateEntry(false, "http://www.example.com/moved" + std::to_string(i), 5, "Moved", "Http", "");
        }
        store.SetCurrentFolder(store.Root());
        for (const auto& item : store.Root().FolderItems) {
            if (item->IsFolder && item->IID != target && item->IID != source) {
                bigFolder = item->IID;  // a top-level folder with everything below it
                break;
            }
        }
        for (const auto& item : store.Root().FolderItems) {
            if (!item->IsFolder) {
                link = item->IID;
                break;
            }
        }
        // The folders' indexes of what lies below them, as loading a database makes them;
        // without it the first step that relinks the folders would record every index.
        store.LinkFolders();
        store.History().Clear();
    }
    static MillionLinks& get()
    {
        static MillionLinks world;
        return world;
    }

    test::FakeWorld fakes;
    LinkStore store { fakes.clock };
    Editing editing { store, fakes.messages, fakes.clipboard };
    std::string source;
    std::string target;
    std::string bigFolder;
    std::string link;
};

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Makes the step, undoes and redoes it, timing each, then undoes it again untimed so that
// every iteration starts from the same database.
void millionLinkStep(benchmark::State& state, const std::function<void(MillionLinks&)>& step)
{
    MillionLinks& world = MillionLinks::get();
    UndoHistory& history = world.store.History();
    double made = 0;
    double undone = 0;
    double redone = 0;
    double bytes = 0;
    double growth = 0;
    for (auto _ : state) {
        world.store.SetCurrentFolder(world.store.Root());
        history.Clear();
        const size_t heapBefore = mallinfo2().uordblks;
        auto start = std::chrono::steady_clock::now();
        step(world);
        made += millisecondsSince(start);
        growth += static_cast<double>(mallinfo2().uordblks) - static_cast<double>(heapBefore);
        if (history.Steps() != 1) {
            state.SkipWithError("the change was not one step");
            break;
        }
        bytes += static_cast<double>(history.Bytes());
        start = std::chrono::steady_clock::now();
        const bool backward = history.Undo() != nullptr;
        undone += millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        const bool forward = history.Redo() != nullptr;
        redone += millisecondsSince(start);
        if (!backward || !forward || history.Undo() == nullptr) {
            state.SkipWithError("the step could not be undone and redone");
            break;
        }
    }
    const auto average = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["do_ms"] = average(made);
    state.counters["undo_ms"] = average(undone);
    state.counters["redo_ms"] = average(redone);
    state.counters["step_bytes"] = average(bytes);
    state.counters["heap_growth"] = average(growth);
}

void BM_MillionLinks_Rename(benchmark::State& state)
{
    millionLinkStep(state, [](MillionLinks& w) { (void)w.editing.RenameListEntry(w.link, "Renamed link"); });
}
BENCHMARK(BM_MillionLinks_Rename)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MillionLinks_DeleteOneLink(benchmark::State& state)
{
    millionLinkStep(state, [](MillionLinks& w) {
        (void)w.editing.DeleteSelection({ Pane::ListView1, { w.link }, {} }, [](const std::string&) { return true; });
    });
}
BENCHMARK(BM_MillionLinks_DeleteOneLink)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MillionLinks_DeleteTopFolder(benchmark::State& state)
{
    millionLinkStep(state, [](MillionLinks& w) {
        (void)w.editing.DeleteSelection({ Pane::TreeView1, {}, w.bigFolder }, [](const std::string&) { return true; });
    });
}
BENCHMARK(BM_MillionLinks_DeleteTopFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MillionLinks_Move1000Links(benchmark::State& state)
{
    millionLinkStep(state, [](MillionLinks& w) {
        w.store.SetCurrentFolder(*w.store.FindFolder(w.source));
        Selection rows { Pane::ListView1, {}, {} };
        for (const auto& item : w.store.CurrentFolder().FolderItems) {
            rows.rowIds.push_back(item->IID);
        }
        (void)w.editing.Drop(rows, w.target);
    });
}
BENCHMARK(BM_MillionLinks_Move1000Links)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MillionLinks_Import1000Links(benchmark::State& state)
{
    millionLinkStep(state, [](MillionLinks& w) {
        RecordAsOneStep(w.store, "Import bookmark.htm", [&w] {
            for (int i = 0; i < 1000; ++i) {
                w.store.CreateEntry(false, "http://imported.example/" + std::to_string(i), 5, "Imported", "Http", "");
            }
        });
    });
}
BENCHMARK(BM_MillionLinks_Import1000Links)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    // As the program starts.
    brindlex::restartWithLargePageHeap(argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
