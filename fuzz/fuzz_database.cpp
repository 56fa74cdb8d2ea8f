// Reads arbitrary bytes as a database file, both into an empty model and as an import
// below a folder of an existing one, then writes the result and reads it back. The same
// bytes read as a file in two parts at once must give what the read in one part gives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "store/DatabaseFile.h"
#include "store/FileAccess.h"
#include "store/LinkStore.h"

namespace {

class FixedClock : public brindlex::Clock
{
public:
    brindlex::DateTime now() const override { return { 1996, 12, 7, 15, 4, 5, true }; }
};

void makeStore(brindlex::LinkStore& store, bool import)
{
    if (import) {
        const std::string id = store.CreateEntry(true, "", 6, "Target", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(id));
    }
}

// The model as a save writes it.
std::string saved(brindlex::LinkStore& store)
{
    std::ostringstream out;
    if (!brindlex::writeDatabase(out, store).ok()) {
        __builtin_trap();
    }
    return out.str();
}

// The bytes as a file, in memory: one for the whole run, rewritten for each input.
std::string fileOf(const std::string& bytes)
{
    static const int fd = ::memfd_create("fuzz_database", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0
        || ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        __builtin_trap();
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = fileOf(bytes);
    FixedClock clock;
    for (const bool import : { false, true }) {
        brindlex::LinkStore store(clock);
        makeStore(store, import);
        std::istringstream in(bytes);
        const bool read = brindlex::readDatabase(in, store, import).ok();
        const std::string model = saved(store);

        // Split where the first byte says: the fuzzer moves the split as it changes that byte.
        for (const uint64_t at : { uint64_t { size > 0 ? data[0] * size / 256 : 0 } }) {
            brindlex::LinkStore parts(clock);
            makeStore(parts, import);
            const std::string before = saved(parts);
            brindlex::InputFile file;
            if (!file.open(path).ok()) {
                __builtin_trap();
            }
            const std::optional<brindlex::Result<brindlex::DatabaseLayout>> inParts
                = brindlex::readDatabaseInParts(file, parts, import, nullptr, at);
            if (!inParts) {
                if (saved(parts) != before) {
                    __builtin_trap();  // a read that did not work out changes nothing
                }
                continue;
            }
            if (!read || !inParts->ok() || saved(parts) != model) {
                __builtin_trap();  // two parts give what one part gives, or nothing
            }
        }

        if (!read) {
            continue;
        }
        brindlex::LinkStore again(clock);
        std::istringstream back(model);
        if (!brindlex::readDatabase(back, again, false).ok()) {
            __builtin_trap();  // what was written must read back
        }
    }
    return 0;
}
