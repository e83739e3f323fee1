#include <gtest/gtest.h>

#include "model/RequestDocuments.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

// A file name never breaks the document or the command line it travels on.
TEST(RequestDocumentsTest, FileNamesStayOneAttributeValue) {
    EXPECT_EQ(FillFileName(kDeletePythonFile, "main.py"),
              "<rci_request version='1.1'><do_command target='file_system'>"
              "<rm name='/WEB/python/main.py'/></do_command></rci_request>");
    const std::string filled = FillFileName(kRadioFirmwareUpdate, "a'b\"c&d<e>\r\n%s.ebl");
    EXPECT_EQ(filled.find_first_of("\"\r\n"), std::string::npos);
    const XmlDocument document = ParseXmlText(filled, "t");
    ASSERT_NE(document, nullptr);
    xmlNodePtr update = xmlDocGetRootElement(document.get())->children->children;
    std::string file;
    ASSERT_TRUE(ReadAttribute(update, "file", file));
    EXPECT_EQ(file, "a'b\"c&d<e>\r\n%s.ebl");
}

}  // namespace
