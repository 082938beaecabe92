// A component type's answers to the runtime's requests, made from the
// members of its object class T: `static T* Create(const rt::CreateParameters&)`,
// `static rt::PropertyList Properties()`, `std::vector<uint8_t> AllData() const`
// and, when the type has own properties, `int SetProperty(int, const
// rt::PropertyValue&)` and `bool GetProperty(int, rt::PropertyValue*) const`.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/component_object_win32.h"

namespace components {
namespace type_interface {

template <typename T>
rt::ComponentObject* Create(const rt::CreateParameters& parameters) {
    return T::Create(parameters);
}
template <typename T>
int SetProperty(rt::ComponentObject* object, int ownIndex, const rt::PropertyValue& value) {
    return static_cast<T*>(object)->SetProperty(ownIndex, value);
}
template <typename T>
bool GetProperty(rt::ComponentObject* object, int ownIndex, rt::PropertyValue* value) {
    return static_cast<const T*>(object)->GetProperty(ownIndex, value);
}
template <typename T>
std::vector<uint8_t> AllData(rt::ComponentObject* object) {
    return static_cast<const T*>(object)->AllData();
}

template <typename T>
concept HasOwnProperties = requires(T& object, const rt::PropertyValue& value, rt::PropertyValue* out) {
    object.SetProperty(0, value);
    object.GetProperty(0, out);
};

}  // namespace type_interface

template <typename T>
void* TypeInterfaceFor(int request) {
    switch (request) {
    case rt::kRequestCreate: return reinterpret_cast<void*>(&type_interface::Create<T>);
    case rt::kRequestGetAllData: return reinterpret_cast<void*>(&type_interface::AllData<T>);
    case rt::kRequestPropertyList: return reinterpret_cast<void*>(&T::Properties);
    case rt::kRequestSetProperty:
        if constexpr (type_interface::HasOwnProperties<T>) return reinterpret_cast<void*>(&type_interface::SetProperty<T>);
        return nullptr;
    case rt::kRequestGetProperty:
        if constexpr (type_interface::HasOwnProperties<T>) return reinterpret_cast<void*>(&type_interface::GetProperty<T>);
        return nullptr;
    default: return nullptr;
    }
}

}  // namespace components
