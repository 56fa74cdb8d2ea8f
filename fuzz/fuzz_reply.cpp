// Replies of a browser to WWW_GetWindowInfo, and transport messages, from any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "browser/DDEBrowser.h"
#include "browser/WireFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto info = brindlex::ParseWindowInfo(bytes)) {
        (void)brindlex::FileURL(info->url);
        (void)brindlex::BrowserTitle(info->title);
    }
    brindlex::MessageDecoder decoder;
    for (size_t at = 0; at < bytes.size(); at += 7) {
        decoder.feed(bytes.substr(at, 7));
    }
    (void)brindlex::decodeMessage(bytes);
    return 0;
}
