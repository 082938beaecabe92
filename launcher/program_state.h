// The launcher's program-wide variables. Texts are GBK runtime texts owned by
// the variable; arrays and the tray record are runtime blocks.
#pragma once

#include <cstdint>
#include <memory>

namespace launcher {

// The notification-icon record as the program holds it: scalars plus three
// fixed byte arrays (tip 128, balloon text 256, balloon title 64). It is
// marshalled into the native record for each call (488 bytes on i686). Window
// and icon handles are pointer-sized words.
struct TrayIconRecord {
    uint32_t cbSize;
    uintptr_t hWnd;
    uint32_t uID;
    uint32_t uFlags;
    uint32_t uCallbackMessage;
    uintptr_t hIcon;
    void* szTip;  // byte array of 128
    uint32_t dwState;
    uint32_t dwStateMask;
    void* szInfo;  // byte array of 256
    uint32_t uTimeout;
    void* szInfoTitle;  // byte array of 64
    uint32_t dwInfoFlags;
};

constexpr uint32_t kTipBytes = 128;
constexpr uint32_t kInfoBytes = 256;
constexpr uint32_t kInfoTitleBytes = 64;
constexpr uint32_t kDrawSlotCount = 16;

// Runtime blocks freed through the runtime, as everything it hands out is.
struct FreeRuntimeBlock {
    void operator()(void* block) const;
};
struct FreeTextArray {  // the texts it holds, then the array
    void operator()(void* array) const;
};
struct FreeTrayIconRecord {  // its three byte arrays, then the record
    void operator()(TrayIconRecord* record) const;
};
using RuntimeText = std::unique_ptr<char, FreeRuntimeBlock>;
using RuntimeArray = std::unique_ptr<void, FreeRuntimeBlock>;
using RuntimeTextArray = std::unique_ptr<void, FreeTextArray>;

struct ProgramState {
    int32_t AnsiCodePage = 0;
    uint32_t TaskbarCreatedMessage = 0;
    RuntimeText LoggedInAccount;
    RuntimeTextArray RoleNames;
    int32_t SelectedRoleIndex = 0;
    RuntimeText SelectedRoleName;
    int32_t DrawStepsLeft = 0;
    int32_t DrawSlot = 0;
    RuntimeArray DrawSlots;  // of 16 component references
    RuntimeText CurrentVersion;
    uintptr_t TrayWindow = 0;     // a window handle
    uintptr_t OldWindowProc = 0;  // a window procedure
    uintptr_t TrayCallback = 0;  // a routine taking one integer
    std::unique_ptr<TrayIconRecord, FreeTrayIconRecord> TrayIconData;
    int32_t GameStartResult = 0;
    uintptr_t GameWindow = 0;  // a window handle
};

ProgramState& State();

// Start: RoleNames empty, DrawSlots with 16 empty references, TrayIconData
// zero-filled with its three byte arrays.
void AllocateProgramState();
// The exit routine: frees every variable.
void FreeProgramState(int index);

}  // namespace launcher
