// Event records and dispatch: a component turns a window message into an
// event of (form id, unit id, event number, arguments) and the runtime calls
// the handler the template binds to it.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/value_record.h"

namespace rt {

// A handler in program code. Arguments arrive as the 32-bit words the call
// would push (first argument first); the result is an 8-byte value.
using EventHandler = int64_t (*)(const uint32_t* arguments, int count);

// Events of the window component; the form loader raises created, moved and
// resized itself once a form is loaded.
enum WindowEvent : int32_t {
    kWindowCreated = 0,
    kWindowCloseQuery = 1,
    kWindowDestroyed = 2,
    kWindowMoved = 3,
    kWindowResized = 4,
    kWindowActivated = 5,
    kWindowDeactivated = 6,
    kWindowIdle = 7,
    kWindowFirstActivation = 8,
    kWindowTrayNotice = 9,
    kWindowShown = 10,
    kWindowHidden = 11,
    kWindowClosing = 12,
};

// What the window's tray notice (kWindowTrayNotice) passes as its argument.
enum TrayNoticeKind : uint32_t {
    kTrayLeftClick = 1,
    kTrayLeftDoubleClick = 2,
    kTrayRightClick = 3,  // also the context-menu key
};

// Events of the other component types, numbered within each type; the
// template binds handlers by these numbers.
enum ButtonEvent : int32_t { kButtonClicked = 0 };
enum CheckBoxEvent : int32_t { kCheckBoxClicked = 0 };  // after the check state toggled
enum ImageButtonEvent : int32_t { kImageButtonClicked = 0 };
enum MenuItemEvent : int32_t { kMenuItemClicked = 0 };
enum TimerEvent : int32_t { kTimerElapsed = 0 };
enum EditBoxEvent : int32_t {
    kEditBoxChanged = 0,
    kEditBoxSpin = 1,  // argument 1 up, -1 down
};
enum ComboBoxEvent : int32_t {
    kComboBoxSelectionMade = 0,
    kComboBoxEditChanged = 1,
    kComboBoxDroppingDown = 2,
    kComboBoxClosedUp = 3,
    kComboBoxDoubleClicked = 4,
};
enum ClientEvent : int32_t {
    kClientDataArrived = 0,
    kClientConnectionClosed = 1,
};

// Common events every component may raise.
constexpr int32_t kEventGotFocus = -7;
constexpr int32_t kEventLostFocus = -8;

struct ShortEventCall {
    uint32_t formId;
    uint32_t unitId;
    int32_t eventNumber;
    uint32_t argumentCount;  // at most 5
    uint32_t arguments[5];
    uint32_t hasResult;
    uint32_t result;
};

constexpr uint32_t kArgumentByReference = 1;
constexpr uint32_t kArgumentArray = 2;

struct FullEventArgument {
    ValueRecord value;
    uint32_t flags;  // kArgumentByReference, kArgumentArray
};
static_assert(sizeof(FullEventArgument) == 16, "payload, type code and flags");

struct FullEventCall {
    uint32_t formId;
    uint32_t unitId;
    int32_t eventNumber;
    uint32_t argumentCount;  // at most 12
    FullEventArgument arguments[12];
    uint32_t hasResult;
    uint8_t result[8];
};

// The handler word bound to the event (0: none). Reports the three event
// errors for a missing form, a missing unit and a type that raises none.
uintptr_t FindEventHandler(uint32_t formId, uint32_t unitId, int32_t eventNumber);
// 1 when a handler ran. With wantResult the record's result is filled in.
int RaiseEvent(ShortEventCall& call, bool wantResult);
int RaiseEvent(FullEventCall& call, bool wantResult);
// Short form for components: true when a handler ran; *result receives its
// result when given.
bool RaiseComponentEvent(uint32_t formId, uint32_t unitId, int32_t eventNumber,
                         std::initializer_list<uint32_t> arguments = {}, int64_t* result = nullptr);

// The form and unit of the event being dispatched (0, 0 outside a handler).
uint32_t EventSourceForm();
uint32_t EventSourceUnit();

}  // namespace rt
