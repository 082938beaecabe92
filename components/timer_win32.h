// The timer: a hidden child window that raises event 0 on every tick.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/timer_data.h"
#include "runtime/component_object_win32.h"

namespace components {

constexpr UINT_PTR kTimerId = 1000;
constexpr int kTimerInterval = 0;  // own property index

class TimerComponent : public rt::ComponentObject {
public:
    static TimerComponent* Create(const rt::CreateParameters& parameters);

    HWND Window() const override { return window_; }
    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const { return data_.Write(); }
    bool Running() const { return running_; }

private:
    TimerComponent() = default;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Start();
    void Stop();

    TimerData data_;
    HWND window_ = nullptr;
    uint32_t formId_ = 0;
    uint32_t unitId_ = 0;
    bool running_ = false;
    bool adopted_ = false;  // the window exists and owns the object
};

}  // namespace components
