#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/result.h"

namespace {

enum class Kind { None, Missing, Taken };
using CodedError = common::BasicError<Kind>;

common::Result<int, CodedError> Lookup(int key) {
    if (key < 0) return CodedError{Kind::Missing, "no such key"};
    if (key == 0) return CodedError{Kind::Taken, "key taken"};
    return key * 10;
}

// A layer that only reports: the code is dropped, the message kept, context added.
common::Result<std::string> Describe(int key) {
    auto found = Lookup(key);
    if (!found) return common::WithContext("key " + std::to_string(key) + ": ", common::Error(found.error()));
    return std::to_string(*found);
}

common::Result<void> Check(int key) {
    auto described = Describe(key);
    if (!described) return described.error();
    return {};
}

TEST(Result, PassesFailuresUpThroughLayers) {
    struct Case {
        int key;
        Kind code;
        const char* message;  // null: success
    } cases[] = {
        {3, Kind::None, nullptr},
        {-1, Kind::Missing, "key -1: no such key"},
        {0, Kind::Taken, "key 0: key taken"},
    };
    for (const Case& c : cases) {
        auto coded = Lookup(c.key);
        auto checked = Check(c.key);
        EXPECT_EQ(static_cast<bool>(checked), c.message == nullptr) << c.key;
        if (c.message == nullptr) {
            EXPECT_EQ(Describe(c.key).value(), std::to_string(c.key * 10));
            continue;
        }
        EXPECT_EQ(coded.error().code, c.code) << c.key;
        EXPECT_EQ(checked.error().message, c.message);
    }
}

TEST(Result, MovesValuesOut) {
    common::Result<std::unique_ptr<int>> made = std::make_unique<int>(7);
    ASSERT_TRUE(made);
    std::unique_ptr<int> owned = std::move(made).value();
    EXPECT_EQ(*owned, 7);
    // A text value is a value, never mistaken for a failure's message.
    common::Result<std::string> text = std::string("fine");
    EXPECT_TRUE(text);
}

}  // namespace
