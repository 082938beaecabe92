#include "common/text/gbk.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using namespace std::string_view_literals;
using common::CharacterStep;
using common::GbkCharacterLength;
using common::IsGbkLeadByte;
using common::IsTextCommandLeadByte;
using common::IsXmlCommandLeadByte;

struct LeadByteRow {
    unsigned char byte;
    bool gbk;
    bool textCommands;
    bool xmlCommands;
};

// The three rules side by side: they agree inside 0x81..0xFE and differ at its edges.
constexpr LeadByteRow kLeadBytes[] = {
    {0x41, false, false, false},
    {0x7F, false, false, false},
    {0x80, false, true, false},
    {0x81, true, true, true},
    {0xFE, true, true, true},
    {0xFF, false, true, true},
};

TEST(LeadByteRules, DifferOnlyAtTheEdgesOfTheEncodingsRange) {
    for (const LeadByteRow& row : kLeadBytes) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int(row.byte));
        EXPECT_EQ(IsGbkLeadByte(row.byte), row.gbk);
        EXPECT_EQ(IsTextCommandLeadByte(row.byte), row.textCommands);
        EXPECT_EQ(IsXmlCommandLeadByte(row.byte), row.xmlCommands);
    }
}

struct StepRow {
    std::string_view text;
    size_t at;
    size_t gbkLength;  // 0: not GBK there
    size_t textCommandStep;
    size_t xmlCommandStep;
};

TEST(LeadByteRules, StepOverWholeCharactersButNeverPastTheEnd) {
    const StepRow rows[] = {
        {"\xC4\xE3"sv, 0, 2, 2, 2},   // a whole character
        {"a\xC4"sv, 1, 0, 1, 1},      // a lead byte right before the end
        {"\x80" "a"sv, 0, 0, 2, 1},   // 0x80 leads only for the text commands
        {"\xFF" "a"sv, 0, 0, 2, 2},   // 0xFF is no GBK lead byte
        {"\x81\x7F"sv, 0, 0, 2, 2},   // 0x7F is no GBK trail byte
        {"\x81\x40"sv, 0, 2, 2, 2},   // the lowest trail byte
        {"\xFE\xFE"sv, 0, 2, 2, 2},
        {"\xC4\x00"sv, 0, 0, 2, 2},   // a terminator is no trail byte
    };
    for (const StepRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "row starting 0x" << std::hex << int(static_cast<unsigned char>(row.text[0])));
        EXPECT_EQ(GbkCharacterLength(row.text, row.at), row.gbkLength);
        EXPECT_EQ(CharacterStep(row.text, row.at, IsTextCommandLeadByte), row.textCommandStep);
        EXPECT_EQ(CharacterStep(row.text, row.at, IsXmlCommandLeadByte), row.xmlCommandStep);
    }
}

}  // namespace
