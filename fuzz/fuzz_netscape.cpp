// Reads arbitrary bytes as a bookmark file and writes the result back out. The same bytes
// read as a file in two parts at once must give what the read in one part gives: the
// same model, the same error, the same progress.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "formats/NetscapeFormat.h"
#include "fuzz/FuzzReader.h"
#include "store/DatabaseFile.h"
#include "store/TextFile.h"

namespace {

// Every label and value a reader reports, in order.
class RecordedProgress : public brindlex::Progress
{
public:
    void setValue(int value) override { text += std::to_string(value) + "\n"; }
    void setLabel(const std::string& label) override { text += label + "\n"; }
    std::string text;
};

// The bytes as a file, in memory: one for the whole run, rewritten for each input.
std::string fileOf(const std::string& bytes)
{
    static const int fd = ::memfd_create("fuzz_netscape", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0
        || ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        __builtin_trap();
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

// Every field of every folder and entry as the model holds it: a save cleans quotes and
// line breaks, which would hide a text the two reads made differently.
std::string modelOf(const brindlex::LinkStore& store)
{
    std::string text;
    const auto date
        = [](const brindlex::DateTime& d) { return brindlex::formatFileDate(d) + (d.hasTime ? "" : " no time"); };
    const auto add = [&](const brindlex::Folder& folder) {
        text += folder.Caption + "|" + folder.id + "|" + folder.parent + "|" + date(folder.MDate) + "|"
            + folder.Description + "\n";
        for (const std::shared_ptr<brindlex::FolderItem>& item : folder.FolderItems) {
            text += "  " + item->Caption + "|" + item->URL + "|" + item->IID + "|" + item->URLType + "|"
                + item->Description + "|" + item->Client + "|" + item->Cache + "|" + std::to_string(item->Icon) + "|"
                + date(item->MDate) + "|" + (item->IsFolder ? "folder" : "link") + "\n";
        }
    };
    add(store.Root());
    for (const std::shared_ptr<brindlex::Folder>& folder : store.Root().SubFolders) {
        add(*folder);
    }
    return text;
}

// What an import of the file at `path` leaves, read in two parts from the first line at
// or after `splitAt` (0: in one part, as the inputs are small): the error, the model,
// its saved text and the progress, into a store that holds a link already.
std::string imported(const std::string& path, uint64_t splitAt)
{
    using namespace brindlex;
    fuzz::FixedClock clock;
    LinkStore store(clock);
    store.CreateEntry(false, "http://before/", 5, "Before", "Http", "");
    RecordedProgress progress;
    NoEvents events;
    const ReadContext context { progress, events };
    TextFileBuf text;
    if (!text.open(path, true).ok()) {
        __builtin_trap();
    }
    const Status read = ImportNetscapeText(text, path, store, context, splitAt);
    std::string result = read.ok() ? "" : "error: " + read.error().message + "\n";
    if (text.readFailed()) {
        result += "read error: " + text.readError() + "\n";
    }
    result += modelOf(store);
    std::ostringstream out;
    if (!writeDatabase(out, store).ok()) {
        __builtin_trap();
    }
    return result + out.str() + progress.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brindlex;
    fuzz::fuzzReader(data, size, [](std::istream& in, LinkStore& store, const ReadContext& context) {
        (void)ImportNetscapeFile(in, store, context);
    });

    // Split where the first byte says: the fuzzer moves the split as it changes that byte.
    const std::string path = fileOf(std::string(reinterpret_cast<const char*>(data), size));
    const uint64_t at = size > 0 ? 1 + data[0] * size / 256 : 0;
    if (at > 0 && imported(path, at) != imported(path, 0)) {
        __builtin_trap();  // two parts give what one part gives
    }
    return 0;
}
