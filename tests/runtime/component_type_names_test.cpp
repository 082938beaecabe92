#include "runtime/component_type_names.h"

#include <gtest/gtest.h>

#include "runtime/type_references.h"

namespace {

TEST(ComponentTypeNames, EveryNameLeadsBackToItsType) {
    const uint32_t named[] = {rt::kWindowTypeReference,    rt::kMenuItemTypeReference, rt::kEditBoxTypeReference,
                              rt::kPictureBoxTypeReference, rt::kLabelTypeReference,    rt::kButtonTypeReference,
                              rt::kCheckBoxTypeReference,  rt::kComboBoxTypeReference, rt::kTimerTypeReference,
                              rt::kClientTypeReference,    rt::kImageButtonTypeReference,
                              rt::kTransparentLabelTypeReference};
    for (uint32_t reference : named) {
        const char* name = rt::ComponentTypeName(reference);
        ASSERT_NE(name, nullptr) << std::hex << reference;
        EXPECT_EQ(rt::TypeReferenceByName(name), reference) << name;
        EXPECT_EQ(rt::TypeReferenceText(reference), name);
    }
    EXPECT_STREQ(rt::ComponentTypeName(rt::kImageButtonTypeReference), "image_button");
    EXPECT_EQ(rt::ComponentTypeName(rt::kTabControlTypeReference), nullptr);
    EXPECT_EQ(rt::TypeReferenceText(rt::kTabControlTypeReference), "1:21");
    EXPECT_EQ(rt::TypeReferenceByName("Button"), std::nullopt);  // names are exact
}

TEST(ComponentTypeNames, LibraryAndIndexAreDecimalWordsUpTo65535) {
    struct Case {
        const char* text;
        std::optional<uint32_t> reference;
    } cases[] = {
        {"2:1", 0x00020001},   {"0:0", 0},           {"65535:65535", 0xFFFFFFFF}, {"007:3", 0x00070003},
        {"65536:1", std::nullopt}, {"1:65536", std::nullopt}, {"1:", std::nullopt},  {":1", std::nullopt},
        {"1:2:3", std::nullopt},   {"-1:2", std::nullopt},    {"1 :2", std::nullopt}, {"window", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(rt::ParseLibraryAndIndex(c.text), c.reference) << c.text;
}

}  // namespace
