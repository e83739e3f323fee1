// The Python page's list and fetch replies. Input: one reply, read both as a list and as a
// fetched file. The proposed local name is a bare name, never a path; the file's bytes are
// never more than the Base64 text in the reply could carry.

#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "transfer/PythonFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = FuzzText(data, size);
    const std::vector<GatewayFile> files =
        ParseFileList(reply).value_or(std::vector<GatewayFile>{});
    const std::size_t width = NameColumnWidth(files);
    for (const GatewayFile& file : files) {
        FuzzCheck(FormatFileLine(file, width).starts_with(file.name),
                  "a list line shows the whole name");
    }
    if (const std::optional<FetchedFile> fetched = ParseFetchReply(reply)) {
        FuzzCheck(fetched->name.find('/') == std::string::npos,
                  "the proposed local name holds no directory");
        FuzzCheck(fetched->bytes.size() <= size / 4 * 3, "no more bytes than the reply carries");
    }
    return 0;
}
