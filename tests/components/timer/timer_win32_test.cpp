// The timer under Wine: ticks as events, interval changes and stops.
#include <gtest/gtest.h>

#include <windows.h>

#include "components/timer/timer_data.h"
#include "runtime/entry_points.h"
#include "support/form_harness_win32.h"
#include "support/window_test_library_win32.h"

namespace {

using testing_support::FormBuilder;
using namespace window_testing;

constexpr uint32_t kForm = 0x52010001;
constexpr int kTick = 6;  // handler index bound to the timer's event 0

uint32_t LoadTimer(int32_t storedInterval) {
    FormBuilder form(kForm, kWindowType, 200, 100);
    components::TimerData data;
    data.interval = storedInterval;
    uint32_t timer = form.Add(kTimerType, "时钟1", 0, 0, 10, 10, testing_support::kVisible,
                              storedInterval ? data.Write() : std::vector<uint8_t>{});
    form.Bind(timer, 0, kTick);
    Start(testing_support::BuildTemplate({form}));
    EXPECT_EQ(rt::LoadStartupWindow(kForm), 1);
    return timer;
}

void SetInterval(uint32_t timer, int32_t interval) {
    rt::WriteProperty(kForm, timer, 8, -1, static_cast<uint32_t>(interval));
}

DWORD FirstTickAfter(DWORD start) {
    for (const HandlerCall& call : HandlerCalls())
        if (call.handler == kTick && call.tick >= start) return call.tick - start;
    return 0xFFFFFFFF;
}

TEST(Timer, ZeroIntervalRaisesNothingUntilSet) {
    uint32_t timer = LoadTimer(0);
    testing_support::PumpFor(400);
    EXPECT_EQ(CallsOf(kTick), 0);
    SetInterval(timer, 30);
    testing_support::PumpUntil([] { return CallsOf(kTick) >= 3; }, 3000);
    EXPECT_GE(CallsOf(kTick), 3);
}

TEST(Timer, StoredIntervalStartsWithTheForm) {
    uint32_t timer = LoadTimer(40);
    EXPECT_TRUE(testing_support::PumpUntil([] { return CallsOf(kTick) >= 2; }, 3000));
    EXPECT_EQ(rt::ReadProperty(kForm, timer, 8, -1), 40u);
}

TEST(Timer, NegativeIntervalStopsAndReadsBackZero) {
    uint32_t timer = LoadTimer(30);
    ASSERT_TRUE(testing_support::PumpUntil([] { return CallsOf(kTick) >= 1; }, 3000));
    SetInterval(timer, -5);
    EXPECT_EQ(rt::ReadProperty(kForm, timer, 8, -1), 0u);
    testing_support::PumpFor(60);  // a tick already queued may still arrive
    int ticks = CallsOf(kTick);
    testing_support::PumpFor(400);
    EXPECT_EQ(CallsOf(kTick), ticks);
}

TEST(Timer, SameIntervalKeepsThePeriodAndAnotherRestartsIt) {
    struct Case {
        int32_t second;
        bool restarted;
    };
    for (Case c : {Case{600, false}, Case{601, true}}) {
        uint32_t timer = LoadTimer(0);
        DWORD start = GetTickCount();
        SetInterval(timer, 600);
        testing_support::PumpFor(300);
        SetInterval(timer, c.second);
        testing_support::PumpUntil([] { return CallsOf(kTick) >= 1; }, 3000);
        DWORD first = FirstTickAfter(start);
        if (c.restarted) EXPECT_GE(first, 850u);
        else EXPECT_LT(first, 800u);
        SetInterval(timer, 0);
    }
}

}  // namespace
