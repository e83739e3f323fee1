#include <gtest/gtest.h>

#include <string>

#include "DocumentScanner.h"

namespace {

// Feeds the text one more byte per call, as the slowest port would deliver it,
// and returns where the document was found to end (0: never).
std::size_t EndFedByteByByte(const std::string& text) {
    DocumentScanner scanner;
    for (std::size_t length = 1; length <= text.size(); ++length) {
        const auto result = scanner.Scan(std::string_view(text).substr(0, length));
        if (result == DocumentScanner::Result::Complete) {
            return scanner.End();
        }
        EXPECT_EQ(result, DocumentScanner::Result::NeedMore) << text.substr(0, length);
    }
    return 0;
}

}  // namespace

// A scan resumed at any byte, inside a tag, a quoted value, a comment or its
// closing delimiter, ends the document exactly where one whole scan does.
TEST(DocumentScannerTest, ResumesAnywhereAndFindsTheSameEnd) {
    const std::string documents[] = {
        "<rci_request version='1.1'><query_state/></rci_request>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r a=\"x>y\" b='</r>'>"
        "<!-- </r> - > --><![CDATA[</r>]]]]><?pi </r>?"
        "?><!x></r>",
        "  <r><a><b/></a>text > more</r>",
        "<r/>",
    };
    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        DocumentScanner whole;
        ASSERT_EQ(whole.Scan(document + "AT\r\n"), DocumentScanner::Result::Complete);
        EXPECT_EQ(whole.End(), document.size());
        EXPECT_EQ(EndFedByteByByte(document + "AT\r\n"), document.size());
    }
    DocumentScanner scanner;
    EXPECT_EQ(scanner.Scan("<r><!-- unfinished"), DocumentScanner::Result::NeedMore);
    scanner.Reset();
    EXPECT_EQ(scanner.Scan("<r/>"), DocumentScanner::Result::Complete);
    scanner.Reset();
    EXPECT_EQ(scanner.Scan("x<r/>"), DocumentScanner::Result::NotADocument);
}
