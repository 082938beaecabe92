// The writer the publish tool and the reference server share.
#include "common/update_document_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "common/xml_escape.h"

namespace {

TEST(UpdateDocumentWriter, WritesTheVersionAloneForTheLauncher) {
    EXPECT_EQ(common::WriteVersionDocument("1.0.7"),
              "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<Info>\r\n  <Version>1.0.7</Version>\r\n</Info>\r\n");
}

TEST(UpdateDocumentWriter, EscapesMarkupInContentAndAttributes) {
    EXPECT_EQ(common::EscapeXml("a<b>&\"c'\xD6\xD0"), "a&lt;b&gt;&amp;&quot;c&apos;\xD6\xD0");
    // A stray lead byte cannot hide markup from the escaper.
    EXPECT_EQ(common::EscapeXml("\x81<"), "\x81&lt;");

    common::UpdateDocument document;
    document.version = "1\"2";
    document.base = "files/\"x\"/";
    document.files.push_back({"data\\a\"b.dat", 3, std::string(64, 'a'), 0, ""});
    std::string xml = common::WriteUpdateDocument(document);
    EXPECT_NE(xml.find("<Version>1&quot;2</Version>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Files base=\"files/&quot;x&quot;/\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<File path=\"data\\a&quot;b.dat\" size=\"3\""), std::string::npos) << xml;
    EXPECT_EQ(xml.find("chunks-size"), std::string::npos) << xml;
}

}  // namespace
