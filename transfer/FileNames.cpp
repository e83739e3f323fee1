#include "transfer/FileNames.h"

std::string_view LocalFileName(std::string_view localPath) {
    const std::size_t slash = localPath.rfind('/');
    return slash == std::string_view::npos ? localPath : localPath.substr(slash + 1);
}

std::optional<std::string> FileNameProblem(std::string_view name) {
    if (name.empty())
        return "The file name is empty.";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"')
            return "The file name contains a double quote.";
        if (byte < 0x20 || byte == 0x7f)
            return "The file name contains a line break or another control character.";
        if (c == '/')
            return "The file name contains a \"/\".";
    }
    return std::nullopt;
}
