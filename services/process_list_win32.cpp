#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "runtime/runtime_memory.h"
#include "runtime/text_conversion_win32.h"
#include "runtime/values.h"
#include "services/shell_commands.h"

namespace services {
namespace {

ProcessInfo* NewProcessInfo(const PROCESSENTRY32W& entry) {
    auto info = static_cast<ProcessInfo*>(rt::Allocate(sizeof(ProcessInfo)));
    info->processId = static_cast<int32_t>(entry.th32ProcessID);
    // Wide names through code page 936: the ANSI entry would use the system's page.
    info->processName = rt::CopyText(rt::GbkFromWide(entry.szExeFile));
    info->moduleId = static_cast<int32_t>(entry.th32ModuleID);
    info->parentProcessId = static_cast<int32_t>(entry.th32ParentProcessID);
    info->basePriority = static_cast<int32_t>(entry.pcPriClassBase);
    info->threadCount = static_cast<int32_t>(entry.cntThreads);
    return info;
}

std::vector<ProcessInfo*> SnapshotProcesses() {
    std::vector<ProcessInfo*> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        processes.push_back(NewProcessInfo(entry));
    CloseHandle(snapshot);
    return processes;
}

}  // namespace

void ListProcesses(rt::ValueRecord* result, int, rt::ValueRecord*) {
    std::vector<ProcessInfo*> processes = SnapshotProcesses();
    void* array = rt::CreateArray1(sizeof(ProcessInfo*), static_cast<uint32_t>(processes.size()));
    uint8_t* first = nullptr;
    rt::ArrayElementCount(array, &first);
    if (!processes.empty()) std::memcpy(first, processes.data(), processes.size() * sizeof(ProcessInfo*));
    *result = rt::MakePointer(array, rt::kArrayFlag);
}

void FreeProcessList(void* array) {
    uint8_t* first = nullptr;
    uint32_t count = rt::ArrayElementCount(array, &first);
    for (uint32_t i = 0; i < count; ++i) {
        ProcessInfo* info;
        std::memcpy(&info, first + i * sizeof info, sizeof info);
        if (info) rt::Free(info->processName);
    }
    rt::FreePointerArray(array);
}

}  // namespace services
