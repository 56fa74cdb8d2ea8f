#include "store/ClipboardURL.h"

#include "platform/MessageBoxes.h"
#include "store/Images.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {

std::string AddURLFromClipboard(LinkStore& store, MessageBoxes& messages, std::string text)
{
    if (text.empty()) {
        messages.show("Nothing found", "The clipboard is empty....", MessageIcon::Information);
        return {};
    }
    if (text.find("file:") != std::string::npos && text.find("file:///") == std::string::npos) {
        text = text.substr(0, 5) + "///" + text.substr(5);
    }
    const std::string type = ClassifyURL(text);
    if (type == "Unknown") {
        messages.beep();
        messages.show("Error", "Invalid URL Address on clipboard...", MessageIcon::Information);
        return {};
    }
    return store.CreateEntry(false, text, imageNumber(Image::Link), "From Clipboard", type, "");
}

}  // namespace brindlex
