#include "formats/ChromiumBookmarks.h"

#include <istream>
#include <nlohmann/json.hpp>

namespace brindlex {

namespace {

using Json = nlohmann::json;

// Microseconds from 1601-01-01 to 1970-01-01, both UTC.
constexpr long long WindowsEpochOffset = 11644473600LL * 1000000LL;

// Chromium writes dates as decimal strings of microseconds since 1601; "0" is none.
DateTime dateOf(const Json& node)
{
    const auto found = node.find("date_added");
    if (found == node.end()) {
        return {};
    }
    long long value = 0;
    if (found->is_string()) {
        const std::string& text = found->get_ref<const std::string&>();
        if (text.empty() || text.size() > 18) {
            return {};
        }
        for (const char c : text) {
            if (c < '0' || c > '9') {
                return {};
            }
            value = value * 10 + (c - '0');
        }
    } else if (found->is_number_integer() || found->is_number_unsigned()) {
        value = found->get<long long>();
    } else {
        return {};
    }
    if (value <= WindowsEpochOffset) {
        return {};
    }
    return fromUnixSeconds((value - WindowsEpochOffset) / 1000000).value_or(DateTime {});
}

std::string stringOf(const Json& node, const char* key)
{
    const auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The line and column nlohmann names in its parse error ("... at line 3, column 5: ...").
std::string whereOf(const std::string& what)
{
    const size_t at = what.find(" at line ");
    if (at == std::string::npos) {
        return {};
    }
    const size_t end = what.find(':', at);
    const size_t from = at + 4;  // "line ..."
    return what.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

const char* const KnownRoots[][2] = {
    { "bookmark_bar", "Bookmarks bar" },
    { "other", "Other bookmarks" },
    { "synced", "Mobile bookmarks" },
};

}  // namespace

Result<BookmarkTree> readChromiumBookmarks(std::istream& in)
{
    Json document;
    try {
        document = Json::parse(in);
    } catch (const Json::parse_error& error) {
        const std::string where = whereOf(error.what());
        return Error { ErrorKind::Format,
            "not a Chromium bookmarks file: the JSON is malformed" + (where.empty() ? "" : " at " + where) };
    } catch (const std::exception& error) {
        return Error { ErrorKind::Format, std::string("not a Chromium bookmarks file: ") + error.what() };
    }
    const auto roots = document.is_object() ? document.find("roots") : document.end();
    if (!document.is_object() || roots == document.end() || !roots->is_object()) {
        return Error { ErrorKind::Format, "not a Chromium bookmarks file: it has no \"roots\"" };
    }

    // The three roots in the order Chromium shows them, then any other folder it keeps
    // there in a later version.
    std::vector<std::pair<const Json*, std::string>> folders;
    for (const auto& [key, name] : KnownRoots) {
        const auto found = roots->find(key);
        if (found != roots->end() && found->is_object()) {
            folders.emplace_back(&*found, name);
        }
    }
    for (const auto& [key, value] : roots->items()) {
        const bool known = key == KnownRoots[0][0] || key == KnownRoots[1][0] || key == KnownRoots[2][0];
        if (!known && value.is_object() && stringOf(value, "type") == "folder") {
            folders.emplace_back(&value, key);
        }
    }

    BookmarkTree tree;
    struct Frame
    {
        const Json* list;
        size_t next;
        int depth;
    };
    std::vector<Frame> stack;
    auto expand = [&](const Json& folder, int depth) {
        const auto list = folder.find("children");
        if (list != folder.end() && list->is_array() && !list->empty()) {
            stack.push_back({ &*list, 0, depth });
        }
    };
    for (const auto& [root, fallback] : folders) {
        const size_t first = tree.size();
        const std::string name = stringOf(*root, "name");
        tree.push_back({ 0, true, name.empty() ? fallback : name, "", dateOf(*root), "" });
        expand(*root, 1);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.list->size()) {
                stack.pop_back();
                continue;
            }
            const Json& node = (*frame.list)[frame.next++];
            const int depth = frame.depth;
            if (!node.is_object()) {
                continue;
            }
            const std::string type = stringOf(node, "type");
            if (type == "folder") {
                tree.push_back({ depth, true, stringOf(node, "name"), "", dateOf(node), "" });
                expand(node, depth + 1);
            } else if (type == "url") {
                std::string url = stringOf(node, "url");
                if (!url.empty()) {
                    std::string name = stringOf(node, "name");
                    tree.push_back(
                        { depth, false, name.empty() ? url : std::move(name), std::move(url), dateOf(node), "" });
                }
            }
        }
        if (tree.size() == first + 1) {
            tree.pop_back();  // an empty root (mobile bookmarks on a desktop)
        }
    }
    return tree;
}

}  // namespace brindlex
