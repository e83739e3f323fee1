#include "link/GatewayIdentity.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

bool IsHexId(std::string_view text) {
    return text.size() == 4 && std::ranges::all_of(text, [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<UsbId> ParseGatewayList(std::string_view text) {
    std::vector<UsbId> ids;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = Trim(line.substr(0, line.find('#')));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view vendor = line.substr(0, colon);
        const std::string_view product = line.substr(colon + 1);
        if (IsHexId(vendor) && IsHexId(product))
            ids.push_back({Lower(vendor), Lower(product)});
    }
    return ids;
}

std::vector<UsbId> ReadGatewayList(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseGatewayList(text.str());
}
