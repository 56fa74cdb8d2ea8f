#include "formats/SpryHotlist.h"
#include "fuzz/FuzzReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brindlex;
    return fuzz::fuzzReader(
        data, size, [](std::istream& in, LinkStore& store, [[maybe_unused]] const ReadContext& context) {
            (void)ImportSpryHotlist(in, store, context);
        });
}
