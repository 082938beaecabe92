#include "components/timer/timer_win32.h"

#include "components/common/component_types_win32.h"
#include "components/common/component_window_class_win32.h"
#include "components/common/type_interface_win32.h"
#include "runtime/events.h"
#include "runtime/runtime_context_win32.h"

namespace components {
namespace {

const rt::PropertyDescriptor kProperties[] = {{"时钟周期", "interval", rt::kPropertyInteger}};

}  // namespace

TimerComponent* TimerComponent::Create(const rt::CreateParameters& p) {
    auto* timer = new TimerComponent(p.formId, p.unitId);
    if (timer->data_.Read(p.data, p.length) != rt::ReadStatus::kOk ||
        !EnsureComponentClass(kTimerClass, ClassProcedure, CS_DBLCLKS)) {
        delete timer;
        return nullptr;
    }
    if (timer->data_.interval < 0) timer->data_.interval = 0;
    if (!timer->CreateBoundWindow(0, kTimerClass, L"", p.style | WS_CHILD | WS_CLIPSIBLINGS, p.x, p.y, p.cx, p.cy,
                                  p.parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(p.controlId)))) {
        delete timer;
        return nullptr;
    }
    timer->Adopt();
    return timer;
}

rt::PropertyList TimerComponent::Properties() { return {kProperties, 1}; }

LRESULT TimerComponent::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (data_.interval > 0) Start();
        return 0;
    case WM_TIMER: {
        LRESULT result = Default(message, wParam, lParam);
        if (wParam == kTimerId) rt::RaiseComponentEvent(formId_, unitId_, rt::kTimerElapsed);
        return result;
    }
    case WM_DESTROY: Stop(); break;
    default: break;
    }
    return Default(message, wParam, lParam);
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

void* TimerTypeInterface(int request) { return TypeInterfaceFor<TimerComponent>(request); }

}  // namespace components
