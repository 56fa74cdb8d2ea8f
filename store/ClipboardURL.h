#pragma once
#include <string>

namespace brindlex {

class LinkStore;
class MessageBoxes;

// Takes the text of the system clipboard as a new link "From Clipboard" in CurrentFolder,
// as the clipboard client and Paste do: an empty clipboard says "The clipboard is
// empty....", a text that is no URL beeps and says "Invalid URL Address on clipboard...".
// "file:" without "///" gets them. Returns the new entry's IID, or "" when refused.
std::string AddURLFromClipboard(LinkStore& store, MessageBoxes& messages, std::string text);

}  // namespace brindlex
