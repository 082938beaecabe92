// The process and shell library: shortcuts, special folders, running files,
// the process list and a delay that keeps windows responsive. Commands take
// (result record zeroed by the caller, argument count, first argument); an
// omitted optional argument is absent or has type code 0.
#pragma once

#include <cstdint>

#include "runtime/value_record.h"

namespace services {

// Shortcut file name, target path, description?, arguments?, working
// directory? -> bool. Arguments and directory apply only when exactly five
// arguments are passed; a name without any "." gets ".lnk".
void CreateShortcut(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
// Folder code 1..11 -> text ending in a backslash (empty for other codes).
void GetSpecialFolder(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
// Operation? (1 edit, 2 explore, 3 find, 4 open, 5 print; else the default
// action), file, parameters?, directory?, show mode? (1..6) -> the shell's
// result, above 32 on success.
void RunFile(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
// -> array of pointers to ProcessInfo records, in snapshot order.
void ListProcesses(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
// Milliseconds; window messages keep being dispatched meanwhile.
void Delay(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);

#pragma pack(push, 4)
// One entry of the process list; the name is a text owned by the record.
struct ProcessInfo {
    int32_t processId;
    char* processName;
    int32_t moduleId;
    int32_t parentProcessId;
    int32_t basePriority;
    int32_t threadCount;
};
#pragma pack(pop)

// Frees a process list: every record's name, every record, the array.
void FreeProcessList(void* array);

}  // namespace services
