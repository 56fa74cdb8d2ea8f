// Load and save of a large database, against merely reading the file's lines, and the
// peak memory of a load measured in a child process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "bench/store/Generate.h"
#include "platform/Clock.h"
#include "platform/LargePageHeap.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

namespace {

using namespace brindlex;

const std::string& databaseFile()
{
    static const std::string bytes = bench::generateDatabaseFile();
    return bytes;
}

const std::string& databasePath()
{
    static const std::string path = [] {
        const std::string p = "/tmp/brindlex-bench-" + std::to_string(::getpid()) + ".bdx";
        std::ofstream(p, std::ios::binary) << databaseFile();
        return p;
    }();
    return path;
}

void BM_ReadLines(benchmark::State& state)
{
    const std::string& path = databasePath();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        size_t lines = 0;
        while (std::getline(in, line)) {
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * databaseFile().size()));
}
BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state)
{
    const std::string& path = databasePath();
    SystemClock clock;
    for (auto _ : state) {
        auto store = std::make_unique<LinkStore>(clock);
        std::ifstream in(path, std::ios::binary);
        if (!readDatabase(in, *store, false).ok()) {
            state.SkipWithError("load failed");
        }
        benchmark::DoNotOptimize(store->Root().SubFolders.size());
        state.PauseTiming();  // freeing the model is not part of loading it
        store.reset();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(databaseFile().size()) / 1e6;
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state)
{
    SystemClock clock;
    LinkStore store(clock);
    std::istringstream in(databaseFile());
    (void)readDatabase(in, store, false);
    store.SetDatabasePath(databasePath() + ".saved");
    for (auto _ : state) {
        if (!SaveDatabase(store).ok()) {
            state.SkipWithError("save failed");
        }
    }
    std::remove((databasePath() + ".saved").c_str());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_LinkFolders(benchmark::State& state)
{
    SystemClock clock;
    LinkStore store(clock);
    bench::generateStore(store, { 20000, 10000, 6, 2 });
    for (auto _ : state) {
        store.LinkFolders();
    }
}
BENCHMARK(BM_LinkFolders)->Unit(benchmark::kMillisecond);

// The peak resident memory (kB) of this process so far.
long peakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// The peak memory of this program run with `mode` in a fresh process, as it reports it.
long childPeak(const char* self, const char* mode)
{
    const std::string command = std::string("'") + self + "' " + mode + " '" + databasePath() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    long kb = -1;
    if (std::fscanf(pipe, "%ld", &kb) != 1) {
        kb = -1;
    }
    return ::pclose(pipe) == 0 ? kb : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    // As bdxtool and the program start.
    brindlex::restartWithLargePageHeap(argv);
    if (argc == 3 && std::strcmp(argv[1], "--idle") == 0) {
        std::printf("%ld\n", peakKb());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--load-only") == 0) {
        SystemClock clock;
        LinkStore store(clock);
        std::ifstream in(argv[2], std::ios::binary);
        const bool ok = readDatabase(in, store, false).ok();
        std::printf("%ld\n", peakKb());
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        std::strcpy(self, argv[0]);
    }
    const long idle = childPeak(self, "--idle");
    const long loaded = childPeak(self, "--load-only");
    if (idle < 0 || loaded < 0) {
        std::printf("peak memory: the child process failed\n");
    }
    const double fileKb = static_cast<double>(databaseFile().size()) / 1024.0;
    std::printf("database file: %.1f MB, %zu bytes\n", fileKb / 1024.0, databaseFile().size());
    std::printf("peak memory of a load: %ld kB above an idle run (%.2f x the file size)\n", loaded - idle,
        static_cast<double>(loaded - idle) / fileKb);
    // The load against merely reading the same file's lines, best of five each, in wall
    // time and in the process's CPU time (steadier while other programs use the machine).
    struct Times
    {
        double wall = 1e9;
        double cpu = 1e9;
    };
    const auto cpuNow = [] {
        timespec t {};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    };
    const auto best = [&](auto&& work) {
        Times fastest;
        for (int i = 0; i < 5; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuNow();
            work();
            fastest.cpu = std::min(fastest.cpu, cpuNow() - cpuStart);
            fastest.wall = std::min(
                fastest.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return fastest;
    };
    const Times lines = best([] {
        std::ifstream in(databasePath(), std::ios::binary);
        std::string line;
        size_t count = 0;
        while (std::getline(in, line)) {
            ++count;
        }
        benchmark::DoNotOptimize(count);
    });
    SystemClock clock;
    std::unique_ptr<LinkStore> model;
    Times loading;
    for (int i = 0; i < 5; ++i) {
        model.reset();  // freeing the previous model is not part of loading
        auto store = std::make_unique<LinkStore>(clock);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuNow();
        std::ifstream in(databasePath(), std::ios::binary);
        (void)readDatabase(in, *store, false);
        loading.cpu = std::min(loading.cpu, cpuNow() - cpuStart);
        loading.wall
            = std::min(loading.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        model = std::move(store);
    }
    model.reset();
    std::printf("reading the lines: %.1f ms, loading: %.1f ms, ratio %.2f (wall time)\n", lines.wall * 1e3,
        loading.wall * 1e3, loading.wall / lines.wall);
    std::printf("reading the lines: %.1f ms, loading: %.1f ms, ratio %.2f (CPU time)\n", lines.cpu * 1e3,
        loading.cpu * 1e3, loading.cpu / lines.cpu);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(databasePath().c_str());
    return 0;
}
