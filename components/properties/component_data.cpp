#include "components/properties/component_data.h"

#include <cstring>
#include <type_traits>

#include "components/button/button_data.h"
#include "components/check_box/check_box_data.h"
#include "components/client_socket/client_socket_data.h"
#include "components/combo_box/combo_box_data.h"
#include "components/edit_box/edit_box_data.h"
#include "components/image_button/image_button_data.h"
#include "components/label/label_data.h"
#include "components/picture_box/picture_box_data.h"
#include "components/timer/timer_data.h"
#include "components/transparent_label/transparent_label_data.h"
#include "components/window/window_data.h"
#include "runtime/type_references.h"

namespace components {

namespace {

template <class T>
class TypedComponentData final : public ComponentData {
public:
    uint32_t MaxVersion() const override { return T::kMaxVersion; }
    uint32_t Version() const override { return data_.version; }
    void SetVersion(uint32_t version) override { data_.version = version; }
    size_t FieldCount() const override { return T::Fields().size(); }
    const FieldInfo& Info(size_t field) const override { return T::Fields()[field].info; }

    FieldValue Get(size_t field) const override {
        return std::visit(
            [&](auto member) -> FieldValue {
                using Value = std::remove_cvref_t<decltype(data_.*member)>;
                if constexpr (!FitsIn<Value>()) {
                    return int64_t(0);
                } else if constexpr (std::is_integral_v<Value> && !std::is_same_v<Value, bool>) {
                    const auto& value = data_.*member;
                    return int64_t(value);
                } else {
                    return data_.*member;
                }
            },
            T::Fields()[field].member);
    }

    void Set(size_t field, const FieldValue& value) override {
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(data_.*member)>;
                if constexpr (!FitsIn<Value>()) {
                    return;
                } else if constexpr (std::is_integral_v<Value> && !std::is_same_v<Value, bool>) {
                    data_.*member = static_cast<Value>(std::get<int64_t>(value));
                } else {
                    data_.*member = std::get<Value>(value);
                }
            },
            T::Fields()[field].member);
    }

    bool IsDefault(size_t field) const override {
        static const TypedComponentData defaults;
        return Get(field) == defaults.Get(field);
    }

    rt::ReadStatus Read(const uint8_t* data, size_t size) override { return data_.Read(data, size); }
    Bytes Write() const override { return data_.Write(); }

private:
    // A member type larger than T cannot occur in T's table; leaving that
    // branch out keeps the compiler from reasoning about impossible accesses.
    template <class Value>
    static constexpr bool FitsIn() {
        return sizeof(Value) <= sizeof(T);
    }

    T data_;
};

}  // namespace

int ComponentData::FindField(std::string_view name) const {
    for (size_t i = 0; i < FieldCount(); ++i) {
        if (name == Info(i).name) return static_cast<int>(i);
    }
    return -1;
}

std::unique_ptr<ComponentData> MakeComponentData(uint32_t typeReference) {
    switch (typeReference) {
        case rt::kWindowTypeReference: return std::make_unique<TypedComponentData<WindowData>>();
        case rt::kEditBoxTypeReference: return std::make_unique<TypedComponentData<EditBoxData>>();
        case rt::kPictureBoxTypeReference: return std::make_unique<TypedComponentData<PictureBoxData>>();
        case rt::kLabelTypeReference: return std::make_unique<TypedComponentData<LabelData>>();
        case rt::kButtonTypeReference: return std::make_unique<TypedComponentData<ButtonData>>();
        case rt::kCheckBoxTypeReference: return std::make_unique<TypedComponentData<CheckBoxData>>();
        case rt::kComboBoxTypeReference: return std::make_unique<TypedComponentData<ComboBoxData>>();
        case rt::kTimerTypeReference: return std::make_unique<TypedComponentData<TimerData>>();
        case rt::kClientTypeReference: return std::make_unique<TypedComponentData<ClientSocketData>>();
        case rt::kImageButtonTypeReference: return std::make_unique<TypedComponentData<ImageButtonData>>();
        case rt::kTransparentLabelTypeReference: return std::make_unique<TypedComponentData<TransparentLabelData>>();
        default: return nullptr;
    }
}

}  // namespace components
