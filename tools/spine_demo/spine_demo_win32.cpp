// A program of the runtime with no windows: it shows start-up, exit routines,
// the message loop and the shutdown, or with --fail the runtime error path.
//
//   spine_demo            exits 0 after running its exit routine
//   spine_demo --fail     reports runtime error 6 at subroutine 0x040136D5, statement 18
//   spine_demo --worker N ends the program with code N from a worker thread
//   spine_demo --template FILE reads FILE as its window template at start-up
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "runtime/entry_points.h"
#include "runtime/program.h"
#include "runtime/runtime_context_win32.h"

namespace {

enum class Mode { Normal, Fail, Worker };
Mode g_mode = Mode::Normal;
int g_workerCode = 0;

void SayExitRoutineRan(int index) {
    std::printf("exit routine %d ran\n", index);
    std::fflush(stdout);
}

int StartRoutine() {
    rt::InitializeRuntime();
    rt::RegisterExitRoutine(SayExitRoutineRan);
    rt::RegisterExitRoutine(SayExitRoutineRan);  // a second registration is ignored
    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof directory, directory);
    std::printf("runtime initialised; current directory %s; main thread %lu\n", directory,
                static_cast<unsigned long>(rt::Runtime().mainThreadId));
    if (g_mode == Mode::Fail) rt::ReportRuntimeErrorCode(6, 0x040136D5, 18);
    if (g_mode == Mode::Worker) {
        std::thread([] { rt::EndProgram(g_workerCode); }).detach();
        for (;;) {
            MSG message;
            if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
            DispatchMessageW(&message);
        }
    }
    rt::RunMessageLoop();
    std::printf("message loop returned: no window exists\n");
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--fail") == 0) g_mode = Mode::Fail;
    if (argc > 2 && std::strcmp(argv[1], "--worker") == 0) {
        g_mode = Mode::Worker;
        g_workerCode = std::atoi(argv[2]);
    }
    rt::ProgramDescriptor program{};
    program.startRoutine = StartRoutine;
    static std::vector<uint8_t> templateBytes;
    if (argc > 2 && std::strcmp(argv[1], "--template") == 0) {
        std::ifstream file(argv[2], std::ios::binary);
        templateBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        program.templateData = templateBytes.data();
        program.templateLength = static_cast<uint32_t>(templateBytes.size());
    }
    return rt::RunProgram(program);
}
