// Netscape bookmark import and export at 100,000 and 1,000,000 links (20 links in each
// folder, folders ten to a parent, about four levels deep).
//   bench_netscape                     run the benchmarks; first the growth from 100,000
//                                      to 1,000,000 links, each size in its own process
//   bench_netscape --generate PATH N   write the N-link file that the benchmarks read
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "formats/NetscapeFormat.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/LargePageHeap.h"
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

// Fills `store` with links / 20 folders of 20 links each; `dated` gives every link its
// own date and a description, so that the file has real ADD_DATE values and <DD> lines.
void buildTree(LinkStore& store, int links, bool dated = true)
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
            store.CreateEntry(false,
                "https://example.com/" + std::to_string(k) + "/page" + std::to_string(i) + "?a=1&b=2", 5,
                "Page " + std::to_string(i) + " of folder " + std::to_string(k), "Http", "");
            if (dated) {
                FolderItem& item = *folder->FolderItems.back();
                item.MDate = DateTime { 2000 + k % 25, 1 + i % 12, 1 + k % 28, i % 24, k % 60, i % 60, true };
                item.Description = "Notes on page " + std::to_string(i) + " & what <links> to it";
            }
        }
    }
    store.SetCurrentFolder(store.Root());
}

std::string bookmarkFile(int links, bool dated = true)
{
    FixedClock clock;
    LinkStore store(clock);
    buildTree(store, links, dated);
    std::ostringstream out;
    (void)ExportNetscapeFile(out, "bookmarks", ExportRange::EntireDatabase, store, {});
    return out.str();
}

const std::string& cachedFile(int links, bool dated = true)
{
    static std::map<std::pair<int, bool>, std::string> files;
    std::string& file = files[{ links, dated }];
    if (file.empty()) {
        file = bookmarkFile(links, dated);
    }
    return file;
}

// One import, its model freed afterwards.
void importOnce(const std::string& file)
{
    FixedClock clock;
    LinkStore store(clock);
    NoProgress progress;
    NoEvents events;
    std::istringstream in(file);
    benchmark::DoNotOptimize(ImportNetscapeFile(in, store, ReadContext { progress, events }).ok());
}

// Each size is measured after one import of its own size that is not timed: otherwise
// the one iteration of the largest size would be the only one to pay for the first touch
// of fresh memory, and the sizes would not compare.
void importFile(benchmark::State& state, bool dated)
{
    const std::string& file = cachedFile(static_cast<int>(state.range(0)), dated);
    importOnce(file);
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
// Links with their dates and a <DD> description each.
void Import(benchmark::State& state)
{
    importFile(state, true);
}
BENCHMARK(Import)->Arg(100000)->Arg(300000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Links without dates or descriptions (ADD_DATE="0"), as files were written before.
void ImportUndated(benchmark::State& state)
{
    importFile(state, false);
}
BENCHMARK(ImportUndated)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

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

double cpuSeconds()
{
    timespec t {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Prints "first best" (CPU milliseconds) for imports of a `links`-link file in this fresh
// process: the first import, then the best of three more, each model freed before the next.
int timeImports(int links)
{
    const std::string file = bookmarkFile(links);
    double first = 0;
    double best = 1e9;
    for (int i = 0; i < 4; ++i) {
        FixedClock clock;
        auto store = std::make_unique<LinkStore>(clock);
        NoProgress progress;
        NoEvents events;
        std::istringstream in(file);
        const double start = cpuSeconds();
        if (!ImportNetscapeFile(in, *store, ReadContext { progress, events }).ok()) {
            return 1;
        }
        const double spent = cpuSeconds() - start;
        (i == 0 ? first : best) = i == 0 ? spent : std::min(best, spent);
    }
    std::printf("%.1f %.1f\n", first * 1e3, best * 1e3);
    return 0;
}

// The import times of one size, measured in a child process so that every size starts
// from the same fresh heap.
bool childTimes(const char* self, int links, double& first, double& best)
{
    const std::string command = std::string("'") + self + "' --time-imports " + std::to_string(links);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    const bool read = std::fscanf(pipe, "%lf %lf", &first, &best) == 2;
    return ::pclose(pipe) == 0 && read;
}

}  // namespace

int main(int argc, char** argv)
{
    // As bdxtool and the program start.
    brindlex::restartWithLargePageHeap(argv);
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
        std::ofstream(argv[2], std::ios::binary) << bookmarkFile(std::stoi(argv[3]));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--time-imports") == 0) {
        return timeImports(std::stoi(argv[2]));
    }
    benchmark::Initialize(&argc, argv);
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        std::strcpy(self, argv[0]);
    }
    double first100k = 0, best100k = 0, first1m = 0, best1m = 0;
    if (childTimes(self, 100000, first100k, best100k) && childTimes(self, 1000000, first1m, best1m)) {
        std::printf("import growth, CPU time, each size in a fresh process:\n"
                    "  first import: 100,000 links %.1f ms, 1,000,000 links %.1f ms, ratio %.2f\n"
                    "  best of three more: 100,000 links %.1f ms, 1,000,000 links %.1f ms, ratio %.2f\n",
            first100k, first1m, first1m / first100k, best100k, best1m, best1m / best100k);
    } else {
        std::printf("import growth: the child process failed\n");
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
