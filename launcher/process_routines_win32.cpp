#include "launcher/process_routines_win32.h"

#include <cstring>

#include "launcher/commands_win32.h"
#include "launcher/dll_table.h"
#include "launcher/program_state.h"
#include "launcher/subroutine_ids.h"
#include "runtime/dll_call_win32.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

using rt::CallConvention;
using rt::NativeArgument;

constexpr uint32_t kInvalidHandle = 0xFFFFFFFFu;
constexpr uint32_t kWideEntrySize = 556;  // nine 32-bit members, 260 wide characters
constexpr uint32_t kAnsiEntrySize = 296;  // nine 32-bit members, 260 bytes
constexpr uint32_t kEntryNameOffset = 36;
constexpr uint32_t kEntryProcessIdOffset = 8;
constexpr uint32_t kNameCharacters = 260;

uint32_t Call(uint32_t index, std::initializer_list<uint32_t> arguments, uint32_t subroutineId, uint32_t statement) {
    return rt::CallDllCommand(index, CallConvention::CalleeCleans, arguments, subroutineId, statement);
}

// A native record from runtime memory, zero-filled, freed on scope exit.
class NativeRecord {
public:
    explicit NativeRecord(uint32_t size) : bytes_(static_cast<uint8_t*>(rt::AllocateZeroed(size))) {}
    ~NativeRecord() { rt::Free(bytes_); }
    uint8_t* data() { return bytes_; }
    uint32_t Word(uint32_t offset) const { uint32_t w; std::memcpy(&w, bytes_ + offset, 4); return w; }
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
    uint32_t length = Call(kMultiByteToWideChar,
                           {static_cast<uint32_t>(codePage), 0, NativeArgument(name), 0xFFFFFFFFu, 0, 0},
                           kCountProcessesByName, 1);
    // Room for at least the wide NUL, so an unconvertible name still compares cleanly.
    uint32_t characters = length ? length : 1;
    auto wide = static_cast<uint16_t*>(rt::AllocateZeroed(characters * 2));
    Call(kMultiByteToWideChar,
         {static_cast<uint32_t>(codePage), 0, NativeArgument(name), 0xFFFFFFFFu, NativeArgument(wide), length},
         kCountProcessesByName, 2);
    uint32_t snapshot = Call(kCreateToolhelp32Snapshot, {0x0F, 0}, kCountProcessesByName, 3);
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
    uint32_t snapshot = Call(kCreateToolhelp32Snapshot, {0x02, 0}, kFindProcessIdByName, 1);
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
    uint32_t handle = processId == 0 ? Call(kGetCurrentProcess, {}, kTerminateProcessById, 1)
                                     : Call(kOpenProcess, {1, 0, processId}, kTerminateProcessById, 2);
    if (handle == 0) return false;
    uint32_t terminated = Call(kTerminateProcess, {handle, 0}, kTerminateProcessById, 3);
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
    NativeRecord startup(68);              // a zero-filled startup-information record
    NativeRecord processInformation(16);  // process, thread, process id, thread id
    uint32_t created = Call(kCreateProcessA,
                            {NativeArgument(application), NativeArgument(writableCommandLine.get()), 0, 0, 0, 0, 0,
                             NativeArgument(directory.get()), NativeArgument(startup.data()),
                             NativeArgument(processInformation.data())},
                            kRunProgram, 1);
    if (!created) return 0;
    Call(kCloseHandle, {processInformation.Word(0)}, kRunProgram, 2);
    Call(kCloseHandle, {processInformation.Word(4)}, kRunProgram, 3);
    return processInformation.Word(8);
}

}  // namespace launcher
