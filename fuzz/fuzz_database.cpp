// Reads arbitrary bytes as a database file, both into an empty model and as an import
// below a folder of an existing one, then writes the result and reads it back.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/Clock.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

namespace {

class FixedClock : public brindlex::Clock
{
public:
    brindlex::DateTime now() const override { return { 1996, 12, 7, 15, 4, 5, true }; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FixedClock clock;
    for (const bool import : { false, true }) {
        brindlex::LinkStore store(clock);
        if (import) {
            const std::string id = store.CreateEntry(true, "", 6, "Target", "Folder", "");
            store.SetCurrentFolder(*store.FindFolder(id));
        }
        std::istringstream in(bytes);
        if (!brindlex::readDatabase(in, store, import).ok()) {
            continue;
        }
        std::ostringstream out;
        if (!brindlex::writeDatabase(out, store).ok()) {
            __builtin_trap();
        }
        brindlex::LinkStore again(clock);
        std::istringstream back(out.str());
        if (!brindlex::readDatabase(back, again, false).ok()) {
            __builtin_trap();  // what was written must read back
        }
    }
    return 0;
}
