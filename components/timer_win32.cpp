#include "components/timer_win32.h"

#include "components/component_types_win32.h"
#include "components/component_window_class_win32.h"
#include "runtime/events.h"
#include "runtime/runtime_context_win32.h"

namespace components {
namespace {

const rt::PropertyDescriptor kProperties[] = {{"时钟周期", "interval", rt::kPropertyInteger}};

}  // namespace

TimerComponent* TimerComponent::Create(const rt::CreateParameters& p) {
    auto* timer = new TimerComponent;
    timer->formId_ = p.formId;
    timer->unitId_ = p.unitId;
    if (timer->data_.Read(p.data, p.length) != rt::ReadStatus::kOk ||
        !EnsureComponentClass(kTimerClass, Procedure, CS_DBLCLKS)) {
        delete timer;
        return nullptr;
    }
    if (timer->data_.interval < 0) timer->data_.interval = 0;
    HWND window = CreateWindowExW(0, kTimerClass, L"", p.style | WS_CHILD | WS_CLIPSIBLINGS, p.x, p.y, p.cx, p.cy,
                                  p.parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(p.controlId)),
                                  GetModuleHandleW(nullptr), timer);
    if (!window) {
        delete timer;
        return nullptr;
    }
    timer->adopted_ = true;
    return timer;
}

LRESULT CALLBACK TimerComponent::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* timer = static_cast<TimerComponent*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        timer->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(timer));
    }
    auto* timer = reinterpret_cast<TimerComponent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!timer) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (!timer->adopted_) return DefWindowProcW(window, message, wParam, lParam);  // creation failed
        rt::RuntimeService(2000, static_cast<intptr_t>(timer->formId_), static_cast<intptr_t>(timer->unitId_));
        delete timer;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return timer->Dispatch(message, wParam, lParam);
}

LRESULT TimerComponent::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (data_.interval > 0) Start();
        return 0;
    case WM_TIMER: {
        LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
        if (wParam == kTimerId) rt::RaiseComponentEvent(formId_, unitId_, 0);
        return result;
    }
    case WM_DESTROY: Stop(); break;
    case rt::kQueryComponentObject: return reinterpret_cast<LRESULT>(static_cast<rt::ComponentObject*>(this));
    default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void TimerComponent::Start() { running_ = SetTimer(window_, kTimerId, static_cast<UINT>(data_.interval), nullptr) != 0; }

void TimerComponent::Stop() {
    if (running_) KillTimer(window_, kTimerId);
    running_ = false;
}

int TimerComponent::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    if (ownIndex != kTimerInterval) return 0;
    int32_t interval = value.integer < 0 ? 0 : value.integer;
    if (interval == data_.interval) return 0;  // the running period is not restarted
    data_.interval = interval;
    Stop();
    if (interval > 0) Start();
    return 0;
}

bool TimerComponent::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    if (ownIndex != kTimerInterval) return false;
    value->integer = data_.interval;
    return true;
}

namespace {

rt::ComponentObject* CreateTimerObject(const rt::CreateParameters& parameters) {
    return TimerComponent::Create(parameters);
}
int SetTimerProperty(rt::ComponentObject* object, int ownIndex, const rt::PropertyValue& value) {
    return static_cast<TimerComponent*>(object)->SetProperty(ownIndex, value);
}
bool GetTimerProperty(rt::ComponentObject* object, int ownIndex, rt::PropertyValue* value) {
    return static_cast<TimerComponent*>(object)->GetProperty(ownIndex, value);
}
std::vector<uint8_t> GetTimerData(rt::ComponentObject* object) {
    return static_cast<TimerComponent*>(object)->AllData();
}
rt::PropertyList TimerProperties() { return {kProperties, 1}; }

}  // namespace

void* TimerTypeInterface(int request) {
    switch (request) {
    case rt::kRequestCreate: return reinterpret_cast<void*>(CreateTimerObject);
    case rt::kRequestSetProperty: return reinterpret_cast<void*>(SetTimerProperty);
    case rt::kRequestGetAllData: return reinterpret_cast<void*>(GetTimerData);
    case rt::kRequestGetProperty: return reinterpret_cast<void*>(GetTimerProperty);
    case rt::kRequestPropertyList: return reinterpret_cast<void*>(TimerProperties);
    default: return nullptr;
    }
}

}  // namespace components
