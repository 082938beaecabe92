// The timer: a hidden child window that raises event 0 on every tick.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/common/component_window_win32.h"
#include "components/timer/timer_data.h"
#include "runtime/component_object_win32.h"

namespace components {

constexpr UINT_PTR kTimerId = 1000;
constexpr int kTimerInterval = 0;  // own property index

class TimerComponent : public ComponentWindow<TimerComponent>, public rt::ComponentObject {
public:
    static TimerComponent* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    HWND Window() const override { return window_; }
    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const { return data_.Write(); }
    bool Running() const { return running_; }

private:
    friend class ComponentWindow<TimerComponent>;
    TimerComponent(uint32_t formId, uint32_t unitId) : ComponentWindow(formId, unitId) {}
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Start();
    void Stop();

    TimerData data_;
    bool running_ = false;
};

}  // namespace components
