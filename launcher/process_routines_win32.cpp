#include "launcher/process_routines_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstddef>
#include <cstring>

#include "launcher/commands_win32.h"
#include "launcher/dll_table.h"
#include "launcher/program_state.h"
#include "launcher/subroutine_ids.h"
#include "runtime/dll_call_win32.h"
#include "runtime/entry_points.h"
#include "runtime/startup_trace.h"
#include "runtime/values.h"

namespace launcher {
namespace {

using rt::CallConvention;
using rt::NativeArgument;
using rt::NativeWord;

// The native records these routines build byte by byte, per target: on i686
// nine 32-bit members before the process name; on x86_64 the heap id is 8
// bytes wide and aligned, and handles in the process information are 8 bytes.
constexpr NativeWord kInvalidHandle = ~NativeWord{0};
constexpr uint32_t kNameCharacters = 260;
constexpr uint32_t kEntryProcessIdOffset = 8;
#if defined(_WIN64)
constexpr uint32_t kWideEntrySize = 568;
constexpr uint32_t kAnsiEntrySize = 304;
constexpr uint32_t kEntryNameOffset = 44;
constexpr uint32_t kStartupInformationSize = 104;
constexpr uint32_t kProcessInformationSize = 24;
constexpr uint32_t kThreadHandleOffset = 8;
constexpr uint32_t kProcessIdOffset = 16;
#else
constexpr uint32_t kWideEntrySize = 556;
constexpr uint32_t kAnsiEntrySize = 296;
constexpr uint32_t kEntryNameOffset = 36;
constexpr uint32_t kStartupInformationSize = 68;
constexpr uint32_t kProcessInformationSize = 16;
constexpr uint32_t kThreadHandleOffset = 4;
constexpr uint32_t kProcessIdOffset = 8;
#endif
static_assert(kWideEntrySize == sizeof(PROCESSENTRY32W) && kAnsiEntrySize == sizeof(PROCESSENTRY32));
static_assert(kEntryNameOffset == offsetof(PROCESSENTRY32W, szExeFile) &&
              kEntryNameOffset == offsetof(PROCESSENTRY32, szExeFile));
static_assert(kEntryProcessIdOffset == offsetof(PROCESSENTRY32, th32ProcessID) &&
              kEntryProcessIdOffset == offsetof(PROCESSENTRY32W, th32ProcessID));
static_assert(sizeof(PROCESSENTRY32::szExeFile) == kNameCharacters);
static_assert(kStartupInformationSize == sizeof(STARTUPINFOA));
static_assert(kProcessInformationSize == sizeof(PROCESS_INFORMATION));
static_assert(offsetof(PROCESS_INFORMATION, hProcess) == 0 &&
              kThreadHandleOffset == offsetof(PROCESS_INFORMATION, hThread) &&
              kProcessIdOffset == offsetof(PROCESS_INFORMATION, dwProcessId));

NativeWord Call(uint32_t index, std::initializer_list<NativeWord> arguments, uint32_t subroutineId,
                uint32_t statement) {
    return rt::CallDllCommand(index, CallConvention::CalleeCleans, arguments, subroutineId, statement);
}

// A native record from runtime memory, zero-filled, freed on scope exit.
class NativeRecord {
public:
    explicit NativeRecord(uint32_t size) : bytes_(static_cast<uint8_t*>(rt::AllocateZeroed(size))) {}
    ~NativeRecord() { rt::Free(bytes_); }
    uint8_t* data() { return bytes_; }
    uint32_t Word(uint32_t offset) const { uint32_t w; std::memcpy(&w, bytes_ + offset, 4); return w; }
    NativeWord Handle(uint32_t offset) const { NativeWord h; std::memcpy(&h, bytes_ + offset, sizeof h); return h; }
    void SetWord(uint32_t offset, uint32_t w) { std::memcpy(bytes_ + offset, &w, 4); }

private:
    uint8_t* bytes_;
};

bool IsAsciiLetter(uint16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Character by character up to the terminating NUL; a letter of the process
// name may differ from the sought one by case alone.
bool NamesMatch(const uint16_t* processName, const uint16_t* sought) {
    for (uint32_t i = 0; i < kNameCharacters; ++i) {
        uint16_t a = processName[i];
        uint16_t b = sought[i];
        bool same = a == b || (IsAsciiLetter(a) && (a ^ b) == 0x20);
        if (!same) return false;
        if (a == 0) return true;
    }
    return false;
}

}  // namespace

int32_t CountProcessesByName(const char* name) {
    using namespace subroutine;
    int32_t codePage = State().AnsiCodePage;
    auto length = static_cast<uint32_t>(Call(kMultiByteToWideChar,
                                             {static_cast<NativeWord>(codePage), 0, NativeArgument(name),
                                              static_cast<NativeWord>(-1), 0, 0},
                                             kCountProcessesByName, 1));
    // Room for at least the wide NUL, so an unconvertible name still compares cleanly.
    uint32_t characters = length ? length : 1;
    auto wide = static_cast<uint16_t*>(rt::AllocateZeroed(characters * 2));
    Call(kMultiByteToWideChar,
         {static_cast<NativeWord>(codePage), 0, NativeArgument(name), static_cast<NativeWord>(-1), NativeArgument(wide),
          length},
         kCountProcessesByName, 2);
    trace::Span span("process snapshot (all kinds)");
    NativeWord snapshot = Call(kCreateToolhelp32Snapshot, {0x0F, 0}, kCountProcessesByName, 3);
    if (snapshot == kInvalidHandle) {
        rt::Free(wide);
        return -1;
    }
    int32_t count = 0;
    NativeRecord entry(kWideEntrySize);
    entry.SetWord(0, kWideEntrySize);
    bool more = Call(kProcess32FirstW, {snapshot, NativeArgument(entry.data())}, kCountProcessesByName, 4) != 0;
    while (more) {
        auto processName = reinterpret_cast<const uint16_t*>(entry.data() + kEntryNameOffset);
        if (NamesMatch(processName, wide)) ++count;
        more = Call(kProcess32NextW, {snapshot, NativeArgument(entry.data())}, kCountProcessesByName, 5) != 0;
    }
    Call(kCloseHandle, {snapshot}, kCountProcessesByName, 6);
    rt::Free(wide);
    return count;
}

uint32_t FindProcessIdByName(const char* name, bool caseSensitive) {
    using namespace subroutine;
    trace::Span span("process snapshot (processes)");
    NativeWord snapshot = Call(kCreateToolhelp32Snapshot, {0x02, 0}, kFindProcessIdByName, 1);
    if (snapshot == kInvalidHandle) return 0;
    NativeRecord entry(kAnsiEntrySize);
    entry.SetWord(0, kAnsiEntrySize);
    bool more = Call(kProcess32First, {snapshot, NativeArgument(entry.data())}, kFindProcessIdByName, 2) != 0;
    while (more) {
        char exeName[kNameCharacters + 1] = {};
        std::memcpy(exeName, entry.data() + kEntryNameOffset, kNameCharacters);
        if (CompareText(exeName, name, caseSensitive) == 0) {
            uint32_t processId = entry.Word(kEntryProcessIdOffset);
            Call(kCloseHandle, {snapshot}, kFindProcessIdByName, 3);
            return processId;
        }
        more = Call(kProcess32Next, {snapshot, NativeArgument(entry.data())}, kFindProcessIdByName, 4) != 0;
    }
    Call(kCloseHandle, {snapshot}, kFindProcessIdByName, 5);
    return 0;
}

bool TerminateProcessById(uint32_t processId) {
    using namespace subroutine;
    NativeWord handle = processId == 0 ? Call(kGetCurrentProcess, {}, kTerminateProcessById, 1)
                                       : Call(kOpenProcess, {1, 0, processId}, kTerminateProcessById, 2);
    if (handle == 0) return false;
    NativeWord terminated = Call(kTerminateProcess, {handle, 0}, kTerminateProcessById, 3);
    Call(kCloseHandle, {handle}, kTerminateProcessById, 4);
    return terminated != 0;
}

uint32_t RunProgram(const char* application, const char* commandLine, const char* workingDirectory) {
    using namespace subroutine;
    // The working directory: as given, else the application's folder (up to
    // and including its last backslash), else none.
    char* directoryText = rt::CopyText(workingDirectory);
    if (!directoryText && application) {
        const char* slash = std::strrchr(application, '\\');
        if (slash) directoryText = rt::CopyText(std::string_view(application, static_cast<size_t>(slash - application + 1)));
    }
    Owned directory(directoryText);
    Owned writableCommandLine(rt::CopyText(commandLine));
    NativeRecord startup(kStartupInformationSize);  // zero-filled
    NativeRecord processInformation(kProcessInformationSize);  // process, thread, process id, thread id
    NativeWord created = Call(kCreateProcessA,
                            {NativeArgument(application), NativeArgument(writableCommandLine.get()), 0, 0, 0, 0, 0,
                             NativeArgument(directory.get()), NativeArgument(startup.data()),
                             NativeArgument(processInformation.data())},
                            kRunProgram, 1);
    if (!created) return 0;
    Call(kCloseHandle, {processInformation.Handle(0)}, kRunProgram, 2);
    Call(kCloseHandle, {processInformation.Handle(kThreadHandleOffset)}, kRunProgram, 3);
    return processInformation.Word(kProcessIdOffset);
}

}  // namespace launcher
