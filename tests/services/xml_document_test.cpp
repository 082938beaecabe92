// The XML-tree commands and the parser behind them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "common/wine_path.h"
#include "services/xml_commands.h"
#include "services/xml_document.h"
#include "services/xml_parser.h"
#include "support/command_call.h"

namespace {

using services::XmlDocumentHolder;
using services::testing::Call;
using services::testing::OwnedBytes;

constexpr char kUpdateDocument[] =
    "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
    "<!-- update information -->\r\n"
    "<Info>\r\n"
    "  <Version>1.2</Version>\r\n"
    "  <!-- the notice below -->\r\n"
    "  <Notice>\r\n    维护 &amp; 更新\r\n  </Notice>\r\n"
    "  <Raw><![CDATA[ a &amp; <b> ]]></Raw>\r\n"
    "  <Empty/>\r\n"
    "</Info>\r\n";

class XmlCommands : public ::testing::Test {
protected:
    bool Load(std::string_view bytes) {
        OwnedBytes source(bytes);
        return Call(services::LoadXml, {Holder(), source.record()}).boolean();
    }
    // The text and the found flag of a path.
    std::pair<std::string, int32_t> Node(const char* path) {
        int32_t found = -1;
        auto text = Call(services::GetNodeText, {Holder(), rt::MakeText(path), services::MakeBoolReference(&found)});
        EXPECT_EQ(text.type(), rt::kTypeText);
        return {text.text(), found};
    }
    rt::ValueRecord Holder() { return services::MakeXmlHolderArgument(&holder_); }

    XmlDocumentHolder holder_;
};

TEST_F(XmlCommands, ReadsTheVersionOfTheUpdateDocument) {
    ASSERT_TRUE(Load(kUpdateDocument));
    EXPECT_EQ(Node("Info/Version"), std::make_pair(std::string("1.2"), 1));
    EXPECT_EQ(Node("Info/@1"), std::make_pair(std::string("1.2"), 1));
    EXPECT_EQ(Node("@1/@2"), std::make_pair(std::string("维护 & 更新"), 1));
}

TEST_F(XmlCommands, NamesAreCaseSensitive) {
    ASSERT_TRUE(Load(kUpdateDocument));
    EXPECT_EQ(Node("info/Version"), std::make_pair(std::string(), 0));
    EXPECT_EQ(Node("Info/version"), std::make_pair(std::string(), 0));
}

TEST_F(XmlCommands, LookupFailures) {
    ASSERT_TRUE(Load(kUpdateDocument));
    for (const char* path : {"Info/Missing", "Info/@5", "Info/@0", "Info/@", "Info/Version/x", "Info/", "Info//Version",
                             "@2/Version", ""}) {
        EXPECT_EQ(Node(path), std::make_pair(std::string(), 0)) << path;
    }
    EXPECT_EQ(Node("Info"), std::make_pair(std::string(), 1));  // the root has no text of its own
}

TEST_F(XmlCommands, EntitiesCDataAndEmptyElements) {
    ASSERT_TRUE(Load(kUpdateDocument));
    EXPECT_EQ(Node("Info/Raw"), std::make_pair(std::string("a &amp; <b>"), 1));
    EXPECT_EQ(Node("Info/Empty"), std::make_pair(std::string(), 1));
    ASSERT_TRUE(Load("<r><e>&lt;&gt;&amp;&apos;&quot;&quote;&unknown;</e></r>"));
    EXPECT_EQ(Node("r/e").first, "<>&'\"\"&unknown;");
}

TEST_F(XmlCommands, PathNamesAreComparedInTheirEncodedForm) {
    ASSERT_TRUE(Load("<r><a&amp;b>x</a&amp;b></r>"));
    EXPECT_EQ(Node("r/a&b"), std::make_pair(std::string("x"), 1));
}

TEST_F(XmlCommands, DoubleByteNamesAndValues) {
    // A byte after a lead byte is never markup, even where it reads as "<", ">" or "/".
    ASSERT_TRUE(Load("<信息><版本 名=\"\x81\x3e\">\x81\x3c\x81\x3e</版本></信息>"));
    EXPECT_EQ(Node("信息/版本"), std::make_pair(std::string("\x81\x3c\x81\x3e"), 1));
    ASSERT_TRUE(Load("<a><b\x81\x2f>v</b\x81\x2f></a>"));
    EXPECT_EQ(Node("a/b\x81\x2f"), std::make_pair(std::string("v"), 1));
}

TEST_F(XmlCommands, NothingIsFoundBeforeLoading) {
    EXPECT_EQ(Node("Info/Version"), std::make_pair(std::string(), 0));
    EXPECT_FALSE(Call(services::ReleaseXml, {Holder()}).boolean());
}

TEST_F(XmlCommands, EmptyOrWrongSourcesFail) {
    EXPECT_FALSE(Call(services::LoadXml, {Holder(), rt::MakeByteSetValue(nullptr)}).boolean());
    EXPECT_FALSE(Call(services::LoadXml, {Holder(), rt::MakeText(nullptr)}).boolean());
    EXPECT_FALSE(Call(services::LoadXml, {Holder(), rt::MakeInteger(1)}).boolean());
    EXPECT_FALSE(Call(services::LoadXml, {Holder()}).boolean());
    EXPECT_FALSE(Call(services::LoadXml, {rt::MakeInteger(0), rt::MakeText("x.xml")}).boolean());
    EXPECT_FALSE(Call(services::LoadXml, {Holder(), rt::MakeText("/nonexistent/update.xml")}).boolean());
}

TEST_F(XmlCommands, ReloadReplacesAndReleaseEnds) {
    ASSERT_TRUE(Load(kUpdateDocument));
    ASSERT_TRUE(Load("<Other><Version>2.0</Version></Other>"));
    EXPECT_EQ(Node("Other/Version").first, "2.0");
    EXPECT_EQ(Node("Info/Version").second, 0);
    // A failed load after a good one leaves no document.
    EXPECT_FALSE(Load("<Info><Version>3</Info>"));
    EXPECT_FALSE(holder_.loaded);
    EXPECT_EQ(Node("Other/Version").second, 0);
    ASSERT_TRUE(Load(kUpdateDocument));
    EXPECT_TRUE(Call(services::ReleaseXml, {Holder()}).boolean());
    EXPECT_FALSE(Call(services::ReleaseXml, {Holder()}).boolean());
    EXPECT_EQ(Node("Info/Version").second, 0);
}

TEST_F(XmlCommands, LoadsAFileByName) {
    std::string path = ::testing::TempDir() + "services_xml_test.xml";
    std::ofstream(path, std::ios::binary) << kUpdateDocument;
    EXPECT_TRUE(Call(services::LoadXml, {Holder(), rt::MakeText(path.c_str())}).boolean());
    EXPECT_EQ(Node("Info/Version").first, "1.2");
    std::remove(path.c_str());
}

std::string DataPath(const std::string& name) {
    std::string path = std::string(LUMADREL_TEST_DATA_DIR) + "/xml/" + name;
#ifdef _WIN32
    path = common::WindowsPath(path);
#endif
    return path;
}

TEST_F(XmlCommands, LoadsAGbkDocumentWithChineseNames) {
    std::string path = DataPath("chinese.xml");
    ASSERT_TRUE(Call(services::LoadXml, {Holder(), rt::MakeText(path.c_str())}).boolean());
    EXPECT_EQ(Node("信息/版本号"), std::make_pair(std::string("３．１"), 1));
    EXPECT_EQ(Node("信息/公告").first, "维护 \"通知\"");
}

TEST_F(XmlCommands, FoundFlagIsOptionalAndOnlyWrittenWhenBool) {
    ASSERT_TRUE(Load(kUpdateDocument));
    EXPECT_EQ(Call(services::GetNodeText, {Holder(), rt::MakeText("Info/Version")}).text(), "1.2");
    int32_t untouched = 7;
    rt::ValueRecord notBool = rt::MakePointer(&untouched, rt::kTypeInteger);
    EXPECT_EQ(Call(services::GetNodeText, {Holder(), rt::MakeText("Info/Version"), notBool}).text(), "1.2");
    EXPECT_EQ(untouched, 7);
}

// Parser rules, read through the element tree.
std::unique_ptr<services::XmlElement> Parse(std::string_view text) {
    std::unique_ptr<services::XmlElement> root;
    EXPECT_EQ(services::ParseXml(services::RemoveXmlComments(text), &root), services::XmlParseStatus::kOk) << text;
    return root;
}

TEST(XmlParser, Attributes) {
    auto root = Parse("<a x=\"1>2\" y = 3 flag z=\"\" w=v/>");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->attributes.size(), 5u);
    EXPECT_EQ(root->attributes[0].name, "x");
    EXPECT_EQ(root->attributes[0].value, "1>2");
    EXPECT_EQ(root->attributes[1].value, "3");
    EXPECT_EQ(root->attributes[2].name, "flag");
    EXPECT_EQ(root->attributes[2].value, "1");
    EXPECT_EQ(root->attributes[3].value, "");
    EXPECT_EQ(root->attributes[4].value, "v");
    EXPECT_TRUE(root->children.empty());
}

TEST(XmlParser, ValuesAreTrimmedAndCDataWins) {
    auto root = Parse("<a>\r\n\t x y \r\n<b> <![CDATA[\n c ]]> later </b></a>");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->value, "x y");
    ASSERT_EQ(root->children.size(), 1u);
    EXPECT_EQ(root->children[0]->value, "c");
    EXPECT_TRUE(root->children[0]->isCData);
    auto blank = Parse("<a>  \r\n  </a>");
    EXPECT_EQ(blank->value, "");
}

TEST(XmlParser, ALaterTopLevelElementBecomesTheRoot) {
    auto root = Parse("<first/><second><c/></second>");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->name, "second");
    EXPECT_EQ(root->children.size(), 1u);
}

TEST(XmlParser, CommentsAreRemovedEvenInsideElements) {
    EXPECT_EQ(services::RemoveXmlComments("a<!-- x -->b<!---->c<!-- open"), "abc");
    auto root = Parse("<a>1<!-- <b> -->2</a>");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->value, "12");
}

TEST(XmlParser, LeadByteAtTheEndIsTakenAlone) {
    auto root = Parse("<a/>\x81");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->name, "a");
}

TEST(XmlParser, DeepNestingNeitherRecursesNorLeaks) {
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    for (int i = 0; i < 200000; ++i) deep += "</a>";
    auto root = Parse(deep);
    ASSERT_TRUE(root);
    root.reset();
}

struct MalformedCase {
    const char* name;
    const char* document;
    services::XmlParseStatus status;
};

class MalformedDocuments : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDocuments, FailToLoad) {
    std::unique_ptr<services::XmlElement> root;
    EXPECT_EQ(services::ParseXml(services::RemoveXmlComments(GetParam().document), &root), GetParam().status);
    EXPECT_FALSE(root);
    XmlDocumentHolder holder;
    OwnedBytes bytes(GetParam().document);
    EXPECT_FALSE(Call(services::LoadXml, {services::MakeXmlHolderArgument(&holder), bytes.record()}).boolean());
    EXPECT_FALSE(holder.loaded);
}

using Status = services::XmlParseStatus;
INSTANTIATE_TEST_SUITE_P(
    Table, MalformedDocuments,
    ::testing::Values(
        MalformedCase{"NoElement", "just text", Status::kNoRootElement},
        MalformedCase{"OnlyDeclaration", "<?xml version=\"1.0\"?>", Status::kNoRootElement},
        MalformedCase{"OnlyComment", "<!-- nothing -->", Status::kNoRootElement},
        MalformedCase{"Unclosed", "<Info><Version>1.2</Version>", Status::kUnclosedElement},
        MalformedCase{"WrongEndTag", "<Info><Version>1.2</Info></Version>", Status::kMismatchedEndTag},
        MalformedCase{"CaseOfEndTag", "<Info></info>", Status::kMismatchedEndTag},
        MalformedCase{"EndTagFirst", "</Info><Info/>", Status::kEndTagWithoutElement},
        MalformedCase{"ExtraEndTag", "<Info/></Info>", Status::kEndTagWithoutElement},
        MalformedCase{"BracketInText", "<a>1 > 0</a>", Status::kClosingBracketInText},
        MalformedCase{"BracketAtTop", "<a/>>", Status::kClosingBracketInText},
        MalformedCase{"QuoteForName", "<a \"x\"=1/>", Status::kQuoteInAttributeName},
        MalformedCase{"QuoteAfterName", "<a b\"c\"/>", Status::kQuoteInAttributeName},
        MalformedCase{"UnterminatedTag", "<a b=1", Status::kUnterminatedMarkup},
        MalformedCase{"UnterminatedQuote", "<a b=\"1/></a>", Status::kUnterminatedMarkup},
        MalformedCase{"UnterminatedEndTag", "<a></a", Status::kUnterminatedMarkup},
        MalformedCase{"UnterminatedCData", "<a><![CDATA[x</a>", Status::kUnterminatedMarkup},
        MalformedCase{"UnterminatedDeclaration", "<?xml version=1", Status::kUnterminatedMarkup},
        MalformedCase{"UnterminatedDoctype", "<!DOCTYPE", Status::kUnterminatedMarkup},
        MalformedCase{"EmptyName", "<>x</>", Status::kEmptyTagName},
        MalformedCase{"SpaceBeforeName", "< a/>", Status::kEmptyTagName},
        MalformedCase{"LoneBracket", "<a/><", Status::kEmptyTagName},
        MalformedCase{"StraySlash", "<a / b></a>", Status::kMalformedTag},
        MalformedCase{"BracketInTag", "<a <b/></a>", Status::kMalformedTag},
        MalformedCase{"LeadByteHidesOpeningBracket", "<a>\x81</a>", Status::kClosingBracketInText}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

}  // namespace
