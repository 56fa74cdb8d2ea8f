#include "bench/store/Generate.h"

#include <random>
#include <sstream>
#include <vector>

#include "platform/Clock.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

namespace brindlex::bench {

namespace {

class FixedClock : public Clock
{
public:
    DateTime now() const override { return { 2024, 3, 9, 10, 20, 30, true }; }
};

}  // namespace

void generateStore(LinkStore& store, const GenerateOptions& options)
{
    std::mt19937 random(options.seed);
    const DateTime date { 2024, 3, 9 };
    struct Placed
    {
        Folder* folder;
        int depth;
    };
    std::vector<Placed> placed { { &store.Root(), 0 } };
    for (size_t i = 0; i < options.folders; ++i) {
        // Pick a parent that still has room below it.
        Placed parent = placed[random() % placed.size()];
        while (parent.depth >= options.maxDepth) {
            parent = placed[random() % placed.size()];
        }
        const std::string id = "3/9/24 10:20:30 AM" + std::to_string(100000 + i);
        const std::string caption = "Folder " + std::to_string(i) + " of topics";
        store.SetCurrentFolder(*parent.folder);
        store.AddLoadedItem(caption, "", true, id, 0, date, "", "", "", "");
        store.AddLoadedFolder(caption, id, parent.folder->id, date, "");
        placed.push_back({ store.Root().SubFolders.back().get(), parent.depth + 1 });
    }
    for (size_t i = 0; i < options.entries; ++i) {
        const Placed& at = placed[random() % placed.size()];
        store.SetCurrentFolder(*at.folder);
        const std::string n = std::to_string(i);
        store.AddLoadedItem("Page number " + n + " about something", "http://www.example" + n + ".com/path/page.html",
            false, "3/9/24 10:20:31 AM" + n, 5, date, "Http", i % 3 == 0 ? "A description, with a comma" : "", "None",
            "");
    }
    store.SetCurrentFolder(store.Root());
}

std::string generateDatabaseFile(const GenerateOptions& options)
{
    FixedClock clock;
    LinkStore store(clock);
    generateStore(store, options);
    std::ostringstream out;
    (void)writeDatabase(out, store);
    return out.str();
}

}  // namespace brindlex::bench
