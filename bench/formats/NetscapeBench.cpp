// Netscape bookmark import and export at 100,000 and 1,000,000 links (20 links in each
// folder, folders ten to a parent, about four levels deep).
//   bench_netscape                     run the benchmarks
//   bench_netscape --generate PATH N   write the N-link file that the benchmarks read
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/NetscapeFormat.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/LinkStore.h"

namespace {

using namespace brindlex;

class FixedClock : public Clock
{
public:
    DateTime now() const override { return { 2026, 12, 8, 12, 0, 0, true }; }
};

constexpr int LinksPerFolder = 20;

// Fills `store` with links / 20 folders of 20 links each.
void buildTree(LinkStore& store, int links)
{
    const int folders = links / LinksPerFolder;
    std::vector<Folder*> made;
    made.reserve(static_cast<size_t>(folders));
    for (int k = 0; k < folders; ++k) {
        Folder& parent = k < 10 ? store.Root() : *made[static_cast<size_t>(k / 10 - 1)];
        store.SetCurrentFolder(parent);
        const std::string id = store.CreateEntry(true, "", 6, "Folder " + std::to_string(k), "Folder", "");
        Folder* folder = store.FindFolder(id);
        made.push_back(folder);
        store.SetCurrentFolder(*folder);
        for (int i = 0; i < LinksPerFolder; ++i) {
            store.CreateEntry(false, "https://example.com/" + std::to_string(k) + "/page" + std::to_string(i) + "?a=1&b=2",
                5, "Page " + std::to_string(i) + " of folder " + std::to_string(k), "Http", "");
        }
    }
    store.SetCurrentFolder(store.Root());
}

std::string bookmarkFile(int links)
{
    FixedClock clock;
    LinkStore store(clock);
    buildTree(store, links);
    std::ostringstream out;
    (void)ExportNetscapeFile(out, "bookmarks", ExportRange::EntireDatabase, store, {});
    return out.str();
}

const std::string& cachedFile(int links)
{
    static std::map<int, std::string> files;
    std::string& file = files[links];
    if (file.empty()) {
        file = bookmarkFile(links);
    }
    return file;
}

void Import(benchmark::State& state)
{
    const std::string& file = cachedFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        FixedClock clock;
        auto store = std::make_unique<LinkStore>(clock);
        NoProgress progress;
        NoEvents events;
        std::istringstream in(file);
        state.ResumeTiming();
        const Status read = ImportNetscapeFile(in, *store, ReadContext { progress, events });
        benchmark::DoNotOptimize(read.ok());
        state.PauseTiming();
        store.reset();  // freeing the model is not part of the import
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(Import)->Arg(100000)->Arg(300000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void Export(benchmark::State& state)
{
    FixedClock clock;
    LinkStore store(clock);
    buildTree(store, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ostringstream out;
        const Status written = ExportNetscapeFile(out, "bookmarks", ExportRange::EntireDatabase, store, {});
        benchmark::DoNotOptimize(written.ok());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(Export)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
        std::ofstream(argv[2], std::ios::binary) << bookmarkFile(std::stoi(argv[3]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
