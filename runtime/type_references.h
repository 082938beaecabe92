// Type references of the component types: (library number << 16) | type
// index, both 1-based, as units and component values carry them.
#pragma once

#include <cstdint>

#include "runtime/value_record.h"

namespace rt {

// The core library (1).
constexpr uint32_t kWindowTypeReference = ComponentTypeCode(1, 1);
constexpr uint32_t kMenuItemTypeReference = ComponentTypeCode(1, 3);
constexpr uint32_t kEditBoxTypeReference = ComponentTypeCode(1, 5);
constexpr uint32_t kPictureBoxTypeReference = ComponentTypeCode(1, 6);
constexpr uint32_t kLabelTypeReference = ComponentTypeCode(1, 10);
constexpr uint32_t kButtonTypeReference = ComponentTypeCode(1, 11);
constexpr uint32_t kCheckBoxTypeReference = ComponentTypeCode(1, 12);
constexpr uint32_t kComboBoxTypeReference = ComponentTypeCode(1, 14);
constexpr uint32_t kTabControlTypeReference = ComponentTypeCode(1, 21);
constexpr uint32_t kTimerTypeReference = ComponentTypeCode(1, 32);
constexpr uint32_t kClientTypeReference = ComponentTypeCode(1, 37);
// The extended UI libraries.
constexpr uint32_t kImageButtonTypeReference = ComponentTypeCode(2, 1);
constexpr uint32_t kTransparentLabelTypeReference = ComponentTypeCode(8, 5);
// The XML library (3).
constexpr uint32_t kXmlParserTypeReference = ComponentTypeCode(3, 1);

}  // namespace rt
