// Find over 100,000 entries in 10,000 folders; the answer must come within 0.5 s.
#include <benchmark/benchmark.h>

#include "bench/find/FindWorld.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "store/FolderSearch.h"
#include "store/LinkStore.h"

namespace {

class FixedClock : public brindlex::Clock
{
public:
    brindlex::DateTime now() const override { return { 1996, 12, 7, 15, 4, 5, true }; }
};

void BM_FindOverHundredThousandEntries(benchmark::State& state)
{
    FixedClock clock;
    brindlex::LinkStore store(clock);
    brindlex::bench::fillFindWorld(store);
    for (const auto& f : store.Root().SubFolders) {
        f->Path = store.Root().Caption + "\\" + f->Caption;
    }
    brindlex::NoEvents events;
    brindlex::SearchHooks hooks;
    std::string last;
    hooks.status = [&last](const std::string& s) { last = s; };
    const bool containing = state.range(0) != 0;
    for (auto _ : state) {
        auto rows = brindlex::DoSearch(store, { "news 5", false, containing }, hooks, events);
        benchmark::DoNotOptimize(rows);
    }
    state.SetLabel(last);
}
BENCHMARK(BM_FindOverHundredThousandEntries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
