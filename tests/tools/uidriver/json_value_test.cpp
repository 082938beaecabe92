#include <gtest/gtest.h>

#include "tools/uidriver/json_value.h"

namespace {

using uidriver::JsonValue;

TEST(JsonAnswers, OneLineWithEscapesAndMembersInOrder) {
    JsonValue answer = JsonValue::Object();
    answer.Set("ok", true).Set("text", "line 1\nsaid \"hi\"\\\x01\x7F").Set("id", 110).Set("code", -1);
    answer.Set("ok", false);  // replaces, keeps the place
    EXPECT_EQ(answer.Serialize(),
              "{\"ok\":false,\"text\":\"line 1\\nsaid \\\"hi\\\"\\\\\\u0001\\u007f\",\"id\":110,\"code\":-1}");
}

TEST(JsonAnswers, Utf8PassesThroughAndNestingWorks) {
    JsonValue items = JsonValue::Array();
    items.Push("中窗口").Push(JsonValue::Object().Set("n", JsonValue())).Push(JsonValue::Array());
    JsonValue answer = JsonValue::Object().Set("items", std::move(items));
    EXPECT_EQ(answer.Serialize(), "{\"items\":[\"中窗口\",{\"n\":null},[]]}");
    ASSERT_NE(answer.Find("items"), nullptr);
    EXPECT_EQ(answer.Find("items")->Size(), 3u);
    EXPECT_EQ(answer.Find("missing"), nullptr);
}

TEST(JsonAnswers, HandlesPrintAsEightHexDigits) {
    EXPECT_EQ(uidriver::HexWord(0x1002A), "0x0001002A");
    EXPECT_EQ(uidriver::HexWord(0x52010001), "0x52010001");
}

}  // namespace
