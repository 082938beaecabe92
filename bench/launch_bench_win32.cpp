// Launch benchmark (under Wine): time from process start to the first paint
// of the main window, and peak working set, of the launcher against a bare
// Win32 program showing the same 600 × 450 PNG. Both are measured the same
// way in the same run; the figures are reported as ratios.
//
//   launch_bench LAUNCHER_FOLDER BARE_PROGRAM PNG [ROUNDS [TRACE_FOLDER]]
// With TRACE_FOLDER the launcher writes its start-up trace of round N to
// TRACE_FOLDER\round-N.json. LUMADREL_BENCH_COMPARE=FOLDER measures a second
// launcher (an earlier build, say) in every round as well, traced to
// TRACE_FOLDER\compare-N.json. LUMADREL_BENCH_WORK_ANCHOR=PROGRAM measures a
// second anchor in every round: a bare program that does the launcher's work
// before its first paint without the runtime (bare_launcher_work.exe).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sample {
    double milliseconds = 0;
    double peakWorkingSetKiB = 0;
    double paintPeakKiB = 0;  // the peak when the first paint was seen
    bool ok = false;
};

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter) {
    auto search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    RECT rect;
    if (owner == search->processId && IsWindowVisible(window) && GetWindowRect(window, &rect) &&
        rect.right - rect.left >= 500) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

double PeakKiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
}

// Painted: a client pixel near the middle is no longer what the window showed
// when it first became visible.
Sample Measure(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory,
               const std::wstring& tracePath = L"") {
    Sample sample;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    SetEnvironmentVariableW(L"LUMADREL_TRACE", tracePath.empty() ? nullptr : tracePath.c_str());
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process))
        return sample;
    HWND window = nullptr;
    COLORREF first = CLR_INVALID;
    for (int attempt = 0; attempt < 6000; ++attempt) {
        if (!window) {
            WindowSearch search{process.dwProcessId, nullptr};
            EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
            window = search.found;
        }
        if (window) {
            HDC dc = GetDC(window);
            COLORREF pixel = GetPixel(dc, 300, 150);
            ReleaseDC(window, dc);
            if (first == CLR_INVALID) first = pixel;
            else if (pixel != first && pixel != CLR_INVALID) {
                QueryPerformanceCounter(&now);
                sample.milliseconds = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                                      static_cast<double>(frequency.QuadPart);
                sample.ok = true;
                sample.paintPeakKiB = PeakKiB(process.hProcess);
                break;
            }
        }
        Sleep(2);
    }
    Sleep(500);  // let start-up work that follows the paint count towards the peak
    sample.peakWorkingSetKiB = PeakKiB(process.hProcess);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    // Under Wine a killed process's windows take a while to go; the next
    // start must not pay for them.
    Sleep(3000);
    return sample;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: launch_bench LAUNCHER_FOLDER BARE_PROGRAM PNG [ROUNDS [TRACE_FOLDER]]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    std::wstring launcher = folder + L"\\Lumadrel.exe";
    std::wstring bare = argv[2];
    std::wstring png = argv[3];
    int rounds = argc > 4 ? _wtoi(argv[4]) : 5;
    std::wstring traceFolder = argc > 5 ? argv[5] : L"";
    // A window of our own keeps Wine's desktop process running, so every
    // start is measured warm and alike, not with the desktop starting anew.
    HWND keeper = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> launcherTimes, bareTimes, launcherPeaks, barePeaks, compareTimes, comparePeaks;
    std::vector<double> pairedTimeRatios;  // launcher / compared launcher within one round
    wchar_t compare[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LUMADREL_BENCH_COMPARE", compare, MAX_PATH);
    wchar_t workAnchor[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LUMADREL_BENCH_WORK_ANCHOR", workAnchor, MAX_PATH);
    std::vector<double> workTimes, workPeaks, pairedWorkRatios;  // ratios: launcher / work anchor, per round
    for (int round = 0; round < rounds; ++round) {
        Sample other;
        if (compare[0]) {
            std::wstring trace =
                traceFolder.empty() ? L"" : traceFolder + L"\\compare-" + std::to_wstring(round) + L".json";
            other = Measure(std::wstring(compare) + L"\\Lumadrel.exe", L"", compare, trace);
            if (other.ok) {
                compareTimes.push_back(other.milliseconds);
                comparePeaks.push_back(other.peakWorkingSetKiB);
            }
        }
        Sample work;
        if (workAnchor[0]) work = Measure(workAnchor, L"\"" + png + L"\"", L"");
        // Alternate, so a drift of the machine hits both alike.
        Sample anchor = Measure(bare, L"\"" + png + L"\"", L"");
        std::wstring trace = traceFolder.empty() ? L"" : traceFolder + L"\\round-" + std::to_wstring(round) + L".json";
        Sample subject = Measure(launcher, L"", folder, trace);
        if (!anchor.ok || !subject.ok) {
            std::fprintf(stderr, "round %d: a window did not paint (anchor %d, launcher %d)\n", round, anchor.ok,
                         subject.ok);
            continue;
        }
        bareTimes.push_back(anchor.milliseconds);
        launcherTimes.push_back(subject.milliseconds);
        barePeaks.push_back(anchor.peakWorkingSetKiB);
        launcherPeaks.push_back(subject.peakWorkingSetKiB);
        std::printf("round %d: first paint %.1f ms (bare %.1f ms), peak working set %.0f KiB (bare %.0f KiB; "
                    "at the first paint %.0f and %.0f KiB)\n",
                    round, subject.milliseconds, anchor.milliseconds, subject.peakWorkingSetKiB,
                    anchor.peakWorkingSetKiB, subject.paintPeakKiB, anchor.paintPeakKiB);
        if (work.ok) {
            workTimes.push_back(work.milliseconds);
            workPeaks.push_back(work.peakWorkingSetKiB);
            pairedWorkRatios.push_back(subject.milliseconds / work.milliseconds);
            std::printf("round %d: bare program with the launcher's work %.1f ms, %.0f KiB\n", round,
                        work.milliseconds, work.peakWorkingSetKiB);
        }
        if (other.ok) {
            pairedTimeRatios.push_back(subject.milliseconds / other.milliseconds);
            std::printf("round %d: compared launcher %.1f ms, %.0f KiB\n", round, other.milliseconds,
                        other.peakWorkingSetKiB);
        }
    }
    DestroyWindow(keeper);
    if (launcherTimes.empty()) return 1;
    double timeRatio = Median(launcherTimes) / Median(bareTimes);
    double memoryRatio = Median(launcherPeaks) / Median(barePeaks);
    std::printf("median first paint: launcher %.1f ms, bare program %.1f ms, ratio %.2f (target <= 1.5)\n",
                Median(launcherTimes), Median(bareTimes), timeRatio);
    std::printf("median peak working set: launcher %.0f KiB, bare program %.0f KiB, ratio %.2f (target <= 1.5)\n",
                Median(launcherPeaks), Median(barePeaks), memoryRatio);
    if (!workTimes.empty())
        std::printf("bare program with the launcher's work: median first paint %.1f ms, launcher against it %.2f "
                    "(median of the rounds' ratios %.2f); peak working set %.0f KiB, launcher against it %.2f\n",
                    Median(workTimes), Median(launcherTimes) / Median(workTimes), Median(pairedWorkRatios),
                    Median(workPeaks), Median(launcherPeaks) / Median(workPeaks));
    if (!compareTimes.empty())
        std::printf("compared launcher: median first paint %.1f ms, ratio %.2f; peak working set %.0f KiB, ratio %.2f\n",
                    Median(compareTimes), Median(compareTimes) / Median(bareTimes), Median(comparePeaks),
                    Median(comparePeaks) / Median(barePeaks));
    if (!pairedTimeRatios.empty())
        std::printf("launcher against the compared one, median of the rounds' ratios: first paint %.3f\n",
                    Median(pairedTimeRatios));
    return 0;
}
