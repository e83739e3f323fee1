#include "SimTranscript.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::vector<SimRecord> SimTranscript::Parse(std::string_view text) {
    std::vector<SimRecord> records;
    std::size_t pos = text.find('\n');  // skip the format line
    while (pos != std::string_view::npos && pos + 1 < text.size()) {
        const std::size_t headerEnd = text.find('\n', pos + 1);
        if (headerEnd == std::string_view::npos) {
            break;
        }
        std::istringstream header(std::string(text.substr(pos + 1, headerEnd - pos - 1)));
        SimRecord record;
        std::size_t length = 0;
        if (!(header >> record.seconds >> record.kind >> length) ||
            headerEnd + 1 + length >= text.size() || text[headerEnd + 1 + length] != '\n') {
            break;
        }
        record.bytes = std::string(text.substr(headerEnd + 1, length));
        records.push_back(std::move(record));
        pos = headerEnd + 1 + length;
    }
    return records;
}

std::vector<SimRecord> SimTranscript::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}
