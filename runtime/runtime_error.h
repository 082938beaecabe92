// Fatal runtime errors: one report routine composes the message with code and
// location, shows the error box (or hands it to the program's error handler)
// and ends the program with exit code -1.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

// Message of an error code 1..11 (empty for any other code).
const char* RuntimeErrorMessage(int code);

// What the report needs to know about forms to name a location.
struct FormDirectory {
    virtual ~FormDirectory() = default;
    virtual bool FormExists(uint32_t formId) const = 0;
    // Tag text of the window unit; the form exists.
    virtual std::string WindowTag(uint32_t formId) const = 0;
    // Tag of a unit of the form (unit id 0: the window); false when the unit
    // is missing or is a menu item.
    virtual bool UnitTag(uint32_t formId, uint32_t unitId, std::string* tag) const = 0;
};
// The form registry registers itself here; none means no form exists.
void SetFormDirectory(const FormDirectory* directory);

// Location text: "\r\n%d, %d" and, for a form id in word 1, the tags of the
// window and the unit (or the not-found lines), then "\r\n".
std::string ComposeLocationText(uint32_t word1, uint32_t word2);
// The error box text: heading, code line, message line, location.
std::string ComposeErrorBoxText(const std::string& message, int code, const std::string& locationText);

// Optional program-installed handler: non-zero means it dealt with the report.
using ErrorHandler = int (*)(int code, const char* text);
void SetErrorHandler(ErrorHandler handler);

// The last steps of a report, provided by the platform: show the box and end
// the program (shutdown without exit routines, exit code -1).
struct ErrorPlatform {
    void (*showErrorBox)(const std::string& text);
    [[noreturn]] void (*endProgram)(int exitCode);
};
void InstallErrorPlatform(const ErrorPlatform& platform);

// Report with a message (code 0 for the runtime's own messages).
[[noreturn]] void ReportRuntimeError(const std::string& message, int code, uint32_t word1, uint32_t word2);
// Entry 0: report by code; the message comes from the table.
[[noreturn]] void ReportRuntimeErrorCode(int code, uint32_t word1, uint32_t word2);

// Event-suppression depth: while at least 1 no event handler runs. Form
// loading and every error report raise it.
int EventSuppressionDepth();
void RaiseEventSuppression();
void LowerEventSuppression();

}  // namespace rt
