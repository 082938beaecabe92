// Update download benchmark (under Wine): the updater's streamed download of
// a large file against a plain WinINet read loop writing the same file, in
// the same run on the same server; and the peak working set of tovrin.exe
// while it downloads, verifies and installs that file.
//
//   update_download_bench FILE_URL SIZE SCRATCH_FOLDER GAME_FOLDER DOCUMENT_URL [ROUNDS]
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "updater/http_transfer_win32.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HANDLE CreateTarget(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The anchor: what any program would write to fetch a URL into a file.
uint64_t PlainReadLoop(const std::string& url, HANDLE file) {
    HINTERNET session = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::vector<char> buffer(updater::kDownloadChunk);
    uint64_t total = 0;
    DWORD read = 0, written = 0;
    while (request && InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) && read > 0) {
        WriteFile(file, buffer.data(), read, &written, nullptr);
        total += read;
    }
    if (request) InternetCloseHandle(request);
    InternetCloseHandle(session);
    return total;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += static_cast<char>(*text);
    return out;
}

// Runs tovrin.exe until update.ini names `version` (or it ends); its peak working set in MiB.
double UpdaterPeak(const std::wstring& folder, const std::wstring& documentUrl, double* seconds) {
    std::wstring exe = folder + L"\\tovrin.exe";
    std::wstring commandLine = L"\"" + exe + L"\" " + documentUrl + L" test";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return 0;
    std::wstring ini = folder + L"\\update.ini";
    for (;;) {
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) break;
        wchar_t version[32] = {};
        GetPrivateProfileStringW(L"\u66F4\u65B0\u914D\u7F6E", L"\u5F53\u524D\u7248\u672C", L"", version, 32,
                                 ini.c_str());
        if (std::wstring(version) == L"1.0.1") break;
    }
    QueryPerformanceCounter(&end);
    *seconds = Seconds(start, end);
    Sleep(300);  // the clean-up after the commit counts too
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
    // No launcher in the bench folder: the updater waits on its error; it is done.
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: update_download_bench FILE_URL SIZE SCRATCH_FOLDER GAME_FOLDER DOCUMENT_URL [ROUNDS]\n");
        return 2;
    }
    const std::string url = Narrow(argv[1]);
    const uint64_t size = _wcstoui64(argv[2], nullptr, 10);
    const std::wstring scratch = argv[3];
    const int rounds = argc > 6 ? _wtoi(argv[6]) : 5;
    const double megabytes = static_cast<double>(size) / (1024.0 * 1024.0);

    std::vector<double> plainRates, updaterRates;
    for (int round = 0; round < rounds; ++round) {
        // Alternate, so a drift of the machine hits both alike.
        LARGE_INTEGER a, b, c, d;
        HANDLE plainFile = CreateTarget(scratch + L"\\plain.bin");
        QueryPerformanceCounter(&a);
        uint64_t plainBytes = PlainReadLoop(url, plainFile);
        FlushFileBuffers(plainFile);
        QueryPerformanceCounter(&b);
        CloseHandle(plainFile);

        HANDLE updaterFile = CreateTarget(scratch + L"\\updater.bin");
        updater::HttpTransfer http;
        QueryPerformanceCounter(&c);
        updater::TransferResult result = http.Download(url, updaterFile, 0, size, [](uint64_t) { return true; });
        FlushFileBuffers(updaterFile);
        QueryPerformanceCounter(&d);
        CloseHandle(updaterFile);
        if (plainBytes != size || result.error != updater::TransferError::None) {
            std::fprintf(stderr, "round %d: incomplete (plain %llu bytes, updater error %d)\n", round,
                         static_cast<unsigned long long>(plainBytes), static_cast<int>(result.error));
            continue;
        }
        plainRates.push_back(megabytes / Seconds(a, b));
        updaterRates.push_back(megabytes / Seconds(c, d));
        std::printf("round %d: updater %.1f MB/s, plain read loop %.1f MB/s\n", round, updaterRates.back(),
                    plainRates.back());
    }
    DeleteFileW((scratch + L"\\plain.bin").c_str());
    DeleteFileW((scratch + L"\\updater.bin").c_str());
    if (updaterRates.empty()) return 1;
    std::printf(
        "median download of %.0f MB: updater %.1f MB/s, plain WinINet loop %.1f MB/s, ratio %.2f (target >= 0.8)\n",
        megabytes, Median(updaterRates), Median(plainRates), Median(updaterRates) / Median(plainRates));

    double seconds = 0;
    double peak = UpdaterPeak(argv[4], argv[5], &seconds);
    std::printf("tovrin.exe: fetched, verified and installed %.0f MB in %.1f s, peak working set %.1f MB "
                "(target < 40 MB)\n", megabytes, seconds, peak);
    return 0;
}
