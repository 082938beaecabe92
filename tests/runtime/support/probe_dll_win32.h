// A minimal DLL written by the test itself, so that search-order tests have a
// library that exists only where the test puts it.
#pragma once

#include <string>

namespace rt::testing {

constexpr char kProbeExportName[] = "LumadrelProbeExport";
// What the export (stdcall, no arguments) returns.
constexpr unsigned kProbeExportResult = 7;

// Writes the DLL to `path`; false when the file cannot be written.
bool WriteProbeDll(const std::wstring& path);

}  // namespace rt::testing
