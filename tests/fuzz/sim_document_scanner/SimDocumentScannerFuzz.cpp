// The simulated gateway's document scanner. Input: one byte giving the size of the reads,
// then the bytes received after a document was announced. Scanning as the bytes arrive must
// decide what one scan of all of them decides.

#include "DocumentScanner.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t readSize = 1 + data[0] % 64;
    const std::string_view received = FuzzText(data + 1, size - 1);

    DocumentScanner whole;
    const DocumentScanner::Result once = whole.Scan(received);

    DocumentScanner resumed;
    DocumentScanner::Result result = DocumentScanner::Result::NeedMore;
    std::size_t length = 0;
    while (result == DocumentScanner::Result::NeedMore && length < received.size()) {
        length = std::min(received.size(), length + readSize);
        result = resumed.Scan(received.substr(0, length));
    }
    FuzzCheck(result == once, "scanning in pieces decides as scanning at once");
    if (once == DocumentScanner::Result::Complete) {
        FuzzCheck(resumed.End() == whole.End(), "the document ends at the same byte");
        FuzzCheck(whole.End() > 0 && whole.End() <= received.size(), "the end lies in the input");
    }
    return 0;
}
