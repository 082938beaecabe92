// The timer under Wine: ticks as events, interval changes and stops, told
// apart by the order of ticks against timers of the test itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <vector>

#include "components/timer/timer_data.h"
#include "runtime/entry_points.h"
#include "support/form_harness_win32.h"
#include "support/window_test_library_win32.h"

namespace {

using rt::testing::FormBuilder;
using namespace components::testing;

constexpr uint32_t kForm = 0x52010001;
constexpr int kTick = 6;  // handler index bound to the timer's event 0

uint32_t LoadTimer(int32_t storedInterval) {
    FormBuilder form(kForm, kWindowType, 200, 100);
    components::TimerData data;
    data.interval = storedInterval;
    uint32_t timer = form.Add(kTimerType, "时钟1", 0, 0, 10, 10, rt::testing::kVisible,
                              storedInterval ? data.Write() : std::vector<uint8_t>{});
    form.Bind(timer, 0, kTick);
    Start(rt::testing::BuildTemplate({form}));
    EXPECT_EQ(rt::LoadStartupWindow(kForm), 1);
    return timer;
}

void SetInterval(uint32_t timer, int32_t interval) {
    rt::WriteProperty(kForm, timer, 8, -1, static_cast<uint32_t>(interval));
}

// A timer of the test thread itself, the yardstick for the component's ticks:
// timers of one thread come in the order they fall due, however late the
// thread gets to them. Records how many component ticks came before each of its own.
class ReferenceTimer {
public:
    explicit ReferenceTimer(UINT period) : id_(SetTimer(nullptr, 0, period, Tick)) {
        EXPECT_NE(id_, 0u) << "no reference timer";
        Running()[id_] = this;
    }
    ~ReferenceTimer() {
        KillTimer(nullptr, id_);
        Running().erase(id_);
    }
    int Ticks() const { return static_cast<int>(componentTicksAt_.size()); }
    // The component's ticks that came before reference tick `tick` (from 0).
    int ComponentTicksBefore(int tick) const { return componentTicksAt_.at(static_cast<size_t>(tick)); }

private:
    static std::map<UINT_PTR, ReferenceTimer*>& Running() {
        static std::map<UINT_PTR, ReferenceTimer*> running;
        return running;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        auto found = Running().find(id);
        if (found != Running().end()) found->second->componentTicksAt_.push_back(CallsOf(kTick));
    }
    UINT_PTR id_;
    std::vector<int> componentTicksAt_;
};

// Waits for `ticks` ticks of a reference timer of `period`: long enough for a
// component timer of a shorter period to have ticked, had it been running.
::testing::AssertionResult ReferenceTicks(UINT period, int ticks) {
    ReferenceTimer reference(period);
    if (rt::testing::PumpUntil([&] { return reference.Ticks() >= ticks; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the reference timer of " << period << " ms ticked only "
                                         << reference.Ticks() << " of " << ticks << " times";
}

TEST(Timer, ZeroIntervalRaisesNothingUntilSet) {
    uint32_t timer = LoadTimer(0);
    ASSERT_TRUE(ReferenceTicks(100, 3));
    EXPECT_EQ(CallsOf(kTick), 0);
    SetInterval(timer, 30);
    ASSERT_TRUE(rt::testing::PumpUntil([] { return CallsOf(kTick) >= 3; })) << "three ticks of 30 ms";
}

TEST(Timer, StoredIntervalStartsWithTheForm) {
    uint32_t timer = LoadTimer(40);
    ASSERT_TRUE(rt::testing::PumpUntil([] { return CallsOf(kTick) >= 2; })) << "two ticks of 40 ms";
    EXPECT_EQ(rt::ReadProperty(kForm, timer, 8, -1), 40u);
}

TEST(Timer, NegativeIntervalStopsAndReadsBackZero) {
    uint32_t timer = LoadTimer(30);
    ASSERT_TRUE(rt::testing::PumpUntil([] { return CallsOf(kTick) >= 1; })) << "a tick of 30 ms";
    SetInterval(timer, -5);
    EXPECT_EQ(rt::ReadProperty(kForm, timer, 8, -1), 0u);
    ASSERT_TRUE(rt::testing::Drain()) << "a tick already queued may still arrive";
    int ticks = CallsOf(kTick);
    ASSERT_TRUE(ReferenceTicks(100, 3));
    EXPECT_EQ(CallsOf(kTick), ticks);
}

// The component's period is P; the same interval is set again half way
// through it. Kept, the first tick falls due at P, before a reference timer
// of 1.25 P started with it; restarted, at 1.5 P or later, after it.
TEST(Timer, SameIntervalKeepsThePeriodAndAnotherRestartsIt) {
    constexpr int32_t kPeriod = 600;
    struct Case {
        int32_t second;
        bool restarted;
    };
    for (Case c : {Case{kPeriod, false}, Case{kPeriod + 1, true}}) {
        SCOPED_TRACE(c.restarted ? "another interval" : "the same interval");
        // A thread kept from its queue for half a period cannot tell; it tries again.
        bool told = false;
        for (int attempt = 0; attempt < 3 && !told; ++attempt) {
            uint32_t timer = LoadTimer(0);
            SetInterval(timer, kPeriod);
            ReferenceTimer reference(kPeriod + kPeriod / 4);
            ReferenceTimer half(kPeriod / 2);
            ASSERT_TRUE(rt::testing::PumpUntil([&] { return half.Ticks() >= 1; })) << "half a period";
            if (CallsOf(kTick) > 0) continue;
            SetInterval(timer, c.second);
            ASSERT_TRUE(rt::testing::PumpUntil([&] { return CallsOf(kTick) >= 1 && reference.Ticks() >= 1; }))
                << "the first tick and the reference tick";
            EXPECT_EQ(reference.ComponentTicksBefore(0), c.restarted ? 0 : 1);
            SetInterval(timer, 0);
            told = true;
        }
        EXPECT_TRUE(told) << "the first period always ended before the second setting";
    }
}

}  // namespace
