#include "runtime/startup_trace_win32.h"

#include <windows.h>
#include <psapi.h>

#include "runtime/text_conversion_win32.h"

namespace rt {
namespace {

constexpr wchar_t kTraceVariable[] = L"LUMADREL_TRACE";
constexpr size_t kTraceCapacity = 4096;  // spans; a launcher start makes well under 200

std::wstring g_path;
uint32_t g_startupForm = 0;
bool g_writtenAtFirstPaint = false;
int64_t g_sinceCreation = 0;  // microseconds from the process's creation to the trace start
LARGE_INTEGER g_counterStart{}, g_frequency{};

int64_t FileTimeMicroseconds(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10;
}

// Microseconds since the process was created.
int64_t ProcessClock() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return g_sinceCreation + (now.QuadPart - g_counterStart.QuadPart) * 1000000 / g_frequency.QuadPart;
}

// The working set in KiB. Read through the kernel32 entry found at run time,
// so that a traced start needs nothing a plain one does not.
int64_t WorkingSetKib() {
    using Reader = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    static const auto read = reinterpret_cast<Reader>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!read || !read(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<int64_t>(counters.WorkingSetSize / 1024);
}

}  // namespace

bool StartTraceFromEnvironment() {
    if (trace::Enabled()) return true;
    DWORD length = GetEnvironmentVariableW(kTraceVariable, nullptr, 0);
    if (length <= 1) return false;
    std::wstring path(length, L'\0');
    path.resize(GetEnvironmentVariableW(kTraceVariable, path.data(), length));
    if (path.empty()) return false;
    FILETIME creation, exited, kernel, user, now;
    GetSystemTimeAsFileTime(&now);
    QueryPerformanceFrequency(&g_frequency);
    QueryPerformanceCounter(&g_counterStart);
    g_sinceCreation = GetProcessTimes(GetCurrentProcess(), &creation, &exited, &kernel, &user)
                          ? FileTimeMicroseconds(now) - FileTimeMicroseconds(creation)
                          : 0;
    if (g_sinceCreation < 0) g_sinceCreation = 0;
    if (!trace::Start(kTraceCapacity, ProcessClock, WorkingSetKib)) return false;
    g_path = path;
    trace::Record("process start (loader, before the runtime)", 0, g_sinceCreation);
    return true;
}

bool WriteTrace() {
    if (!trace::Enabled() || g_path.empty()) return false;
    std::string json = trace::ToJson();
    HANDLE file = CreateFileW(g_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, json.data(), static_cast<DWORD>(json.size()), &written, nullptr) && written == json.size();
    CloseHandle(file);
    return ok;
}

void SetStartupFormForTrace(uint32_t formId) { g_startupForm = formId; }

void NoteFirstPaint(uint32_t formId) {
    if (!trace::Enabled() || g_writtenAtFirstPaint || formId != g_startupForm) return;
    g_writtenAtFirstPaint = true;
    WriteTrace();
}

std::string TraceText(std::string_view gbk) {
    std::wstring wide = WideFromGbk(gbk);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

}  // namespace rt
