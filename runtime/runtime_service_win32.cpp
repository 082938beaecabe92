// The runtime service function: the single door through which support-library
// code calls the runtime. Form requests are answered by the form registry.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "runtime/entry_points.h"
#include "runtime/form_service_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/service_numbers.h"

namespace rt {
namespace {

constexpr intptr_t kRuntimeVersion = 0x00070005;

// Request 1006: the program's directory with a backslash, or its file name.
intptr_t CopyProgramPath(intptr_t subCode, char* buffer) {
    if (!buffer) return 0;
    std::string text;
    if (subCode == 1 || subCode == 2001) text = Runtime().programDirectory + "\\";
    else if (subCode == 2002) text = Runtime().programFileName;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<intptr_t>(text.size());
}

intptr_t AddIdleCallback(const IdleEntry* entry) {
    if (!entry || !entry->callback || !IsWindow(entry->window)) return 0;
    auto& callbacks = Runtime().idleCallbacks;
    for (const IdleEntry& existing : callbacks)
        if (existing.window == entry->window) return 0;
    callbacks.push_back(*entry);
    return 1;
}

intptr_t RemoveIdleCallback(HWND window) {
    auto& callbacks = Runtime().idleCallbacks;
    auto end = std::remove_if(callbacks.begin(), callbacks.end(),
                              [window](const IdleEntry& entry) { return entry.window == window; });
    bool removed = end != callbacks.end();
    callbacks.erase(end, callbacks.end());
    return removed ? 1 : 0;
}

}  // namespace

intptr_t RuntimeService(int request, intptr_t argument1, intptr_t argument2) {
    switch (request) {
    case kServiceRuntimeVersion: return kRuntimeVersion;
    case kServiceProgramPath: return CopyProgramPath(argument1, reinterpret_cast<char*>(argument2));
    case kServiceAddIdleCallback: return AddIdleCallback(reinterpret_cast<const IdleEntry*>(argument1));
    case kServiceRemoveIdleCallback: return RemoveIdleCallback(reinterpret_cast<HWND>(argument1));
    case kServiceSuppressEvents: RaiseEventSuppression(); return 0;
    case kServiceAllowEvents: LowerEventSuppression(); return 0;
    case kServiceAllocate: return reinterpret_cast<intptr_t>(Allocate(static_cast<uint32_t>(argument1)));
    default: return FormService(request, argument1, argument2);
    }
}

}  // namespace rt
