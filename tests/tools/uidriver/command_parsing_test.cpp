#include <gtest/gtest.h>

#include "tools/uidriver/command_arguments.h"
#include "tools/uidriver/command_tokens.h"

namespace {

using uidriver::CommandToken;

std::vector<CommandToken> Split(const std::string& line) {
    std::vector<CommandToken> tokens;
    std::string error;
    EXPECT_TRUE(uidriver::SplitCommandLine(line, &tokens, &error)) << line << ": " << error;
    return tokens;
}

TEST(CommandWords, SplitAtBlanksWithQuotesKeepingThem) {
    struct Case {
        std::string line;
        std::vector<std::string> words;
    } cases[] = {
        {"click MainWindow 超级按钮1", {"click", "MainWindow", "超级按钮1"}},
        {"  set_text  a\tb  ", {"set_text", "a", "b"}},
        {"set_text F 编辑框 \"张 三\"", {"set_text", "F", "编辑框", "张 三"}},
        {"x \"\"", {"x", ""}},
        {"x a\"b c\"d", {"x", "ab cd"}},
        {"x \"say \\\"hi\\\"\\n\\\\\"", {"x", "say \"hi\"\n\\"}},
        {"start C:\\game\\Lumadrel.exe", {"start", "C:\\game\\Lumadrel.exe"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<CommandToken> tokens = Split(c.line);
        std::vector<std::string> words;
        for (const CommandToken& token : tokens) words.push_back(token.text);
        EXPECT_EQ(words, c.words) << c.line;
    }
}

TEST(CommandWords, MalformedLinesAreRefusedWithAReason) {
    for (const char* line : {"text \"open", "text \"bad \\q escape\"", "x \"ends in backslash\\"}) {
        std::vector<CommandToken> tokens{{"left alone", false}};
        std::string error;
        EXPECT_FALSE(uidriver::SplitCommandLine(line, &tokens, &error)) << line;
        EXPECT_FALSE(error.empty()) << line;
        EXPECT_EQ(tokens.size(), 1u) << line;
    }
}

TEST(CommandArguments, KnownUnquotedNamesAreOptionsAndFlags) {
    std::vector<CommandToken> words = Split("F 编辑框 timeout=300 mouse \"timeout=9\" other=1 mouse2");
    uidriver::CommandArguments arguments = uidriver::SortArguments(words, {"timeout", "pid"}, {"mouse"});
    EXPECT_EQ(arguments.positional, (std::vector<std::string>{"F", "编辑框", "timeout=9", "other=1", "mouse2"}));
    EXPECT_EQ(arguments.Option("timeout"), "300");
    EXPECT_FALSE(arguments.Option("pid").has_value());
    EXPECT_TRUE(arguments.Has("mouse"));
}

TEST(CommandArguments, NumbersAreDecimalOrHexAndWhole) {
    struct Case {
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {
        {"0", true, 0},           {"123", true, 123},       {"-1", true, -1},
        {"0x1002A", true, 0x1002A}, {"0XfF", true, 255},    {"+7", true, 7},
        {"0x52010001", true, 0x52010001},
        {"", false, 0},           {"0x", false, 0},         {"12a", false, 0},
        {"1 ", false, 0},         {"-", false, 0},          {"99999999999999999999", false, 0},
        {"0x1G", false, 0},
    };
    for (const Case& c : cases) {
        int64_t value = 42;
        EXPECT_EQ(uidriver::ParseNumber(c.text, &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

}  // namespace
