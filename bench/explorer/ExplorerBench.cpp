// Speed of the main window: start-up with a large database, filling the list, building
// the tree. Runs on the offscreen platform unless another one is chosen.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "bench/WindowWorld.h"
#include "explorer/ContentsList.h"
#include "explorer/frmTarnwell.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

// `folders` folders, each a level below the one before in groups of ten, with
// `links` links spread over the root and the folders.
void fill(LinkStore& store, int folders, int links)
{
    std::vector<std::string> ids;
    for (int i = 0; i < folders; ++i) {
        Folder* parent = (i % 10 == 0 || ids.empty()) ? &store.Root() : store.FindFolder(ids.back());
        store.SetCurrentFolder(*parent);
        ids.push_back(store.CreateEntry(true, "", 6, "Folder " + std::to_string(i), "", ""));
    }
    for (int i = 0; i < links; ++i) {
        Folder* into
            = (folders == 0 || i % 2 == 0) ? &store.Root() : store.FindFolder(ids[static_cast<size_t>(i) % ids.size()]);
        store.SetCurrentFolder(*into);
        store.CreateEntry(
            false, "http://example.org/" + std::to_string(i), 5, "Link " + std::to_string(i), "Http", "A description");
    }
    store.SetCurrentFolder(store.Root());
}

// Opens the window on `world.commandLine` once an iteration and times its start-up;
// `whileOpen` and the close that follows are not timed.
void timeStartUps(benchmark::State& state, bench::WindowWorld& world, const std::function<void()>& whileOpen = {})
{
    for (auto _ : state) {
        frmTarnwell window(world.services());
        window.Load();
        QApplication::processEvents();
        state.PauseTiming();
        if (whileOpen) {
            whileOpen();
        }
        world.close(window);
        state.ResumeTiming();
    }
}

// Times `step` of a window whose database holds `folders` folders and `links` links.
void timeWindowStep(benchmark::State& state, int folders, int links, void (frmTarnwell::*step)())
{
    bench::WindowWorld world;
    frmTarnwell window(world.services());
    window.Load();
    fill(world.store, folders, links);
    for (auto _ : state) {
        (window.*step)();
        QApplication::processEvents();
    }
    world.close(window);
}

void BM_StartupWith100000Entries(benchmark::State& state)
{
    bench::WindowWorld world;
    fill(world.store, 1000, 99000);
    const std::string path = world.homePath() + "/Big.bdx";
    world.store.SetDatabasePath(path);
    if (!SaveDatabase(world.store).ok()) {
        state.SkipWithError("could not write the database");
        return;
    }
    world.commandLine = path;
    timeStartUps(state, world);
}
BENCHMARK(BM_StartupWith100000Entries)->Unit(benchmark::kMillisecond)->Iterations(3);

// Start-up with the database named by BRINDLEX_BENCH_DATABASE (bench/compare.sh hands in
// the one it made from its bookmark file), read from a copy.
void BM_StartupWithGivenDatabase(benchmark::State& state)
{
    const char* given = std::getenv("BRINDLEX_BENCH_DATABASE");
    if (given == nullptr || *given == '\0') {
        state.SkipWithError("BRINDLEX_BENCH_DATABASE names no database");
        return;
    }
    bench::WindowWorld world;
    const std::string path = world.homePath() + "/Given.bdx";
    std::error_code error;
    std::filesystem::copy_file(given, path, error);
    if (error) {
        state.SkipWithError(("could not copy " + std::string(given) + ": " + error.message()).c_str());
        return;
    }
    world.commandLine = path;
    timeStartUps(
        state, world, [&] { state.counters["folders"] = static_cast<double>(world.store.Root().SubFolders.size()); });
}
BENCHMARK(BM_StartupWithGivenDatabase)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FillListOf20000Entries(benchmark::State& state)
{
    timeWindowStep(state, 0, 20000, &frmTarnwell::FillList);
}
BENCHMARK(BM_FillListOf20000Entries)->Unit(benchmark::kMillisecond);

void BM_BuildTreeOf5000Folders(benchmark::State& state)
{
    timeWindowStep(state, 5000, 0, &frmTarnwell::BuildTree);
}
BENCHMARK(BM_BuildTreeOf5000Folders)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return bench::runWindowBenchmarks(argc, argv);
}
