#include "formats/ui/DialogFilters.h"

#include "store/Text.h"

#include <vector>

namespace brindlex {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

}  // namespace

std::string qtFilter(std::string_view pairs)
{
    const std::vector<std::string_view> parts = split(pairs, '|');
    std::string out;
    for (size_t i = 0; i < parts.size(); i += 2) {
        const std::string_view description = parts[i];
        std::string patterns;
        if (i + 1 < parts.size()) {
            for (const std::string_view pattern : split(parts[i + 1], ';')) {
                if (pattern.empty()) {
                    continue;
                }
                if (!patterns.empty()) {
                    patterns += ' ';
                }
                patterns += pattern;
            }
        }
        if (!out.empty()) {
            out += ";;";
        }
        out += description;
        const std::string ending = "(" + patterns + ")";
        const bool endsWithPatterns = description.size() >= ending.size()
            && equalsNoCase(description.substr(description.size() - ending.size()), ending);
        if (!patterns.empty() && !endsWithPatterns) {
            out += " " + ending;
        }
    }
    return out;
}

std::string dialogSuffix(std::string_view extension)
{
    const size_t dot = extension.rfind('.');
    return std::string(dot == std::string_view::npos ? extension : extension.substr(dot + 1));
}

}  // namespace brindlex
