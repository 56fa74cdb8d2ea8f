// Find over 100,000 entries in 10,000 folders; the answer must come within 0.5 s.
#include <benchmark/benchmark.h>

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
    // 1,000 top folders with 9 sub-folders each; every folder holds 10 links.
    for (int top = 0; top < 1000; ++top) {
        store.SetCurrentFolder(store.Root());
        const std::string topId = store.CreateEntry(true, "", 6, "Group " + std::to_string(top), "Folder", "");
        brindlex::Folder& topFolder = *store.FindFolder(topId);
        for (int sub = 0; sub < 9; ++sub) {
            store.SetCurrentFolder(topFolder);
            const std::string subId = store.CreateEntry(true, "", 6, "Sub " + std::to_string(sub), "Folder", "");
            store.SetCurrentFolder(*store.FindFolder(subId));
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
