#pragma once
// Feeds arbitrary bytes to one reader, decoded the way the import command decodes them,
// then writes the result back out: no input may crash, hang or break the model.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "formats/HtmlLinks.h"
#include "formats/MosaicHotlist.h"
#include "formats/NetscapeFormat.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/LinkStore.h"
#include "store/TextEncoding.h"

namespace brindlex::fuzz {

class FixedClock : public Clock
{
public:
    DateTime now() const override { return { 1996, 12, 7, 15, 4, 5, true }; }
};

// `read(in, store, context)` runs the reader under test on the decoded input.
template <typename Read> int fuzzReader(const uint8_t* data, size_t size, Read read)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FixedClock clock;
    LinkStore store(clock);
    NoProgress progress;
    NoEvents events;
    const ReadContext context { progress, events };
    std::istringstream in(decodeText(bytes, declaredCharset(bytes)));
    read(in, store, context);
    store.SetCurrentFolder(store.Root());
    std::ostringstream out;
    (void)ExportMosaicHotlist(out, "fuzz", ExportRange::EntireDatabase, store, {});
    // The nested-list writer with whatever dates and descriptions the reader made.
    (void)ExportNetscapeFile(out, "fuzz", ExportRange::EntireDatabase, store, {});
    (void)ExportHtmlFile(out, "fuzz", ExportRange::EntireDatabase, store, {});
    return 0;
}

}  // namespace brindlex::fuzz
