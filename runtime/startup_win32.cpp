// Process start-up, the shutdown sequence and the end of the program.
#include <windows.h>
#include <ole2.h>

#include <cstring>

#include "runtime/dll_commands.h"
#include "runtime/entry_points.h"
#include "runtime/form_host_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/startup_trace_win32.h"
#include "runtime/text_conversion_win32.h"

namespace rt {
namespace {

ProgramDescriptor g_program{};

LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEndProgramMessage) EndProgram(static_cast<int>(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateHiddenOwner() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = HiddenOwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kHiddenOwnerClass;
    RegisterClassExW(&windowClass);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kHiddenOwnerClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

void SplitModulePath(RuntimeContext& runtime) {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, length);
    size_t slash = full.find_last_of(L'\\');
    std::wstring directory = slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
    std::wstring file = slash == std::wstring::npos ? full : full.substr(slash + 1);
    runtime.programDirectory = GbkFromWide(directory);
    runtime.programFileName = GbkFromWide(file);
    if (!directory.empty()) {
        // "C:" alone would name the drive's current folder, not its root.
        if (directory.back() == L':') directory += L'\\';
        SetCurrentDirectoryW(directory.c_str());
    }
}

// Literal data of the executable: its read-only data section.
void FindReadOnlyData(const void** begin, uint32_t* length) {
    auto base = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, ".rdata", 6) == 0) {
            *begin = base + section->VirtualAddress;
            *length = section->Misc.VirtualSize;
            return;
        }
    }
    *begin = nullptr;
    *length = 0;
}

void* HeapAllocate(size_t size) { return HeapAlloc(Runtime().processHeap, 0, size); }
void* HeapResize(void* block, size_t size) { return HeapReAlloc(Runtime().processHeap, 0, block, size); }
void HeapRelease(void* block) { HeapFree(Runtime().processHeap, 0, block); }

void ShowErrorBox(const std::string& text) {
    MessageBoxW(nullptr, WideFromGbk(text).c_str(), WideFromGbk("错误").c_str(), MB_ICONERROR);
}

[[noreturn]] void EndAfterError(int exitCode) { EndProgram(exitCode); }

}  // namespace

RuntimeContext& Runtime() {
    static RuntimeContext runtime;
    return runtime;
}

const ProgramDescriptor& CurrentProgram() { return g_program; }
void SetCurrentProgram(const ProgramDescriptor& program) { g_program = program; }

void InitializeRuntime() {
    RuntimeContext& runtime = Runtime();
    if (runtime.initialized) return;
    runtime.initialized = true;

    runtime.processHeap = GetProcessHeap();
    InstallHeap({HeapAllocate, HeapResize, HeapRelease});
    InstallErrorPlatform({ShowErrorBox, EndAfterError});
    if (g_program.constantData) {
        SetConstantRegion(g_program.constantData, g_program.constantLength);
    } else {
        const void* begin;
        uint32_t length;
        FindReadOnlyData(&begin, &length);
        SetConstantRegion(begin, length);
    }

    trace::Span span("runtime start");
    {
        trace::Span ole("OleInitialize");
        if (!runtime.oleInitialized && SUCCEEDED(OleInitialize(nullptr))) runtime.oleInitialized = true;
    }
    SplitModulePath(runtime);

    {
        trace::Span owner("hidden owner window");
        runtime.hiddenOwner = CreateHiddenOwner();
    }
    runtime.mainThreadId = GetCurrentThreadId();

    InitializeDllCommands(g_program.dllCommandCount, g_program.dllLibraryNames, g_program.dllCommandNames,
                          runtime.programDirectory);

    for (uint32_t i = 0; i < g_program.libraryCount && i < kSupportLibraryCount; ++i) {
        const SupportLibrary* library = g_program.libraries[i];
        runtime.libraries[i] = library;
        runtime.libraryData[i] = 0;
        if (library && library->notify)
            library->notify(kNotifyServiceFunction, reinterpret_cast<intptr_t>(&RuntimeService), 0);
    }

    trace::Span reading("template read");
    if (!LoadFormTemplate(g_program.templateData, g_program.templateLength, g_program.userCodeBase))
        ReportRuntimeError("载入窗口模板数据段出错!", 0, 0, 0);
}

void RunShutdownSequence(int exitCode) {
    RuntimeContext& runtime = Runtime();
    if (runtime.mainThreadId && GetCurrentThreadId() != runtime.mainThreadId) {
        if (runtime.hiddenOwner && IsWindow(runtime.hiddenOwner))
            SendMessageW(runtime.hiddenOwner, kEndProgramMessage, static_cast<WPARAM>(exitCode), 0);
        if (!runtime.shuttingDown) ExitProcess(static_cast<UINT>(exitCode));
        return;
    }
    if (runtime.shuttingDown) return;
    runtime.shuttingDown = true;

    runtime.idleCallbacks.clear();
    UnloadAllForms();
    RunExitRoutines();

    for (int i = 0; i < kSupportLibraryCount; ++i) {
        const SupportLibrary* library = runtime.libraries[i];
        if (library && library->notify) library->notify(kNotifyProgramEnding, runtime.libraryData[i], 0);
    }

    ReleaseDllCommands();
    runtime.programDirectory.clear();
    runtime.programFileName.clear();
    if (runtime.hiddenOwner) {
        DestroyWindow(runtime.hiddenOwner);
        runtime.hiddenOwner = nullptr;
    }
    if (runtime.socketsStarted) {
        // Each socket component pairs its own start-up and clean-up; this only
        // balances a start made by the runtime itself.
        runtime.socketsStarted = false;
    }
    if (runtime.oleInitialized) {
        OleUninitialize();
        runtime.oleInitialized = false;
    }
    WriteTrace();
}

void EndProgram(int exitCode) {
    RunShutdownSequence(exitCode);
    ExitProcess(static_cast<UINT>(exitCode));
}

// The process entry's part: start routine, then the shutdown with code 0.
int RunProgram(const ProgramDescriptor& program) {
    SetCurrentProgram(program);
    StartTraceFromEnvironment();
    if (program.startRoutine) program.startRoutine();
    RunShutdownSequence(0);
    return 0;
}

}  // namespace rt
