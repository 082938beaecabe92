#include "runtime/dll_commands.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/runtime_error.h"
#include "runtime/text_conversion_win32.h"

namespace rt {
namespace {

struct DllCommandTable {
    std::vector<const char*> libraryNames;
    std::vector<const char*> exportNames;
    std::vector<HMODULE> modules;
    std::vector<FARPROC> addresses;
    std::string programDirectory;
    std::string preferredDirectory;
    std::string secondaryDirectory;
};

DllCommandTable g_table;

const char* const kSystemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                        "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

// "#n" names an ordinal (taken modulo 65536); anything else is an export name.
LPCSTR ExportKey(const char* exportName) {
    if (exportName[0] == '#') {
        unsigned long ordinal = std::strtoul(exportName + 1, nullptr, 10) % 65536;
        return MAKEINTRESOURCEA(ordinal);
    }
    return exportName;
}

[[noreturn]] void ReportUnresolved(const char* library, const char* exportName) {
    std::string message;
    if (library[0] == '\0') {
        message = std::string("无法找到指定DLL库文件中的输出命令“") + exportName + "”";
    } else {
        message = std::string("无法找到指定DLL库文件“") + library + "”中的输出命令“" + exportName + "”";
    }
    ReportRuntimeError(message, 0, 0, 0);
}

// Paths are GBK; the program folder may hold Chinese on any system locale.
HMODULE LoadLibraryGbk(const std::string& path) { return LoadLibraryW(WideFromGbk(path).c_str()); }

HMODULE LoadNamedLibrary(const char* name) {
    if (std::strchr(name, ':')) return LoadLibraryGbk(name);
    HMODULE module = nullptr;
    if (!g_table.preferredDirectory.empty()) module = LoadLibraryGbk(g_table.preferredDirectory + name);
    if (!module) module = LoadLibraryGbk(g_table.programDirectory + "\\" + name);
    if (!module && !g_table.secondaryDirectory.empty()) module = LoadLibraryGbk(g_table.secondaryDirectory + name);
    if (!module) module = LoadLibraryGbk(name);
    return module;
}

}  // namespace

void InitializeDllCommands(uint32_t count, const char* const* libraryNames, const char* const* exportNames,
                           const std::string& programDirectory) {
    g_table.libraryNames.assign(libraryNames, libraryNames + (libraryNames ? count : 0));
    g_table.exportNames.assign(exportNames, exportNames + (exportNames ? count : 0));
    size_t size = g_table.exportNames.size() < g_table.libraryNames.size() ? g_table.exportNames.size()
                                                                           : g_table.libraryNames.size();
    g_table.libraryNames.resize(size);
    g_table.exportNames.resize(size);
    g_table.modules.assign(size, nullptr);
    g_table.addresses.assign(size, nullptr);
    g_table.programDirectory = programDirectory;
}

void SetDllSearchDirectories(const std::string& preferred, const std::string& secondary) {
    g_table.preferredDirectory = preferred;
    g_table.secondaryDirectory = secondary;
}

void* ResolveDllCommand(uint32_t index) {
    if (index >= g_table.addresses.size()) ReportUnresolved("", "?");
    if (g_table.addresses[index]) return reinterpret_cast<void*>(g_table.addresses[index]);

    const char* library = g_table.libraryNames[index] ? g_table.libraryNames[index] : "";
    const char* exportName = g_table.exportNames[index] ? g_table.exportNames[index] : "";
    LPCSTR key = ExportKey(exportName);
    HMODULE module = nullptr;

    if (library[0] == '\0') {
        for (const char* systemLibrary : kSystemLibraries) {
            HMODULE candidate = LoadLibraryA(systemLibrary);
            if (!candidate) continue;
            FARPROC address = GetProcAddress(candidate, key);
            g_table.addresses[index] = address;
            if (address) {
                module = candidate;
                break;
            }
            FreeLibrary(candidate);
        }
    } else {
        module = LoadNamedLibrary(library);
        if (module) g_table.addresses[index] = GetProcAddress(module, key);
    }

    if (g_table.addresses[index]) {
        g_table.modules[index] = module;
        return reinterpret_cast<void*>(g_table.addresses[index]);
    }
    if (module) FreeLibrary(module);
    ReportUnresolved(library, exportName);
}

void* DllCommandModule(uint32_t index) {
    return index < g_table.modules.size() ? g_table.modules[index] : nullptr;
}

void ReleaseDllCommands() {
    for (HMODULE module : g_table.modules)
        if (module) FreeLibrary(module);
    g_table.modules.clear();
    g_table.addresses.clear();
    g_table.libraryNames.clear();
    g_table.exportNames.clear();
}

}  // namespace rt
