#include "support/error_capture.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/exit_routines.h"
#include "runtime/runtime_error.h"

namespace rt::testing {
namespace {

struct ReportEnded {
    int exitCode;
};

std::string g_lastBox;

void RememberBox(const std::string& text) { g_lastBox = text; }
[[noreturn]] void ThrowInsteadOfExit(int exitCode) { throw ReportEnded{exitCode}; }

// Reads code, message and location back from the box text the report composed.
void ParseBox(CapturedError& error) {
    const std::string& text = error.boxText;
    const std::string codeLabel = "\r\n错误代码：";
    const std::string messageLabel = "\r\n错误信息：";
    size_t at = text.find(codeLabel);
    size_t locationFrom = 0;
    if (at != std::string::npos) {
        error.code = std::atoi(text.c_str() + at + codeLabel.size());
        locationFrom = text.find("\r\n", at + codeLabel.size()) + 2;
    }
    at = text.find(messageLabel, locationFrom);
    if (at != std::string::npos) {
        size_t begin = at + messageLabel.size();
        size_t end = text.find("\r\n", begin);
        error.message = text.substr(begin, end - begin);
        locationFrom = end + 2;
    }
    at = text.find("\r\n", locationFrom > 0 ? locationFrom - 2 : std::string::npos);
    if (locationFrom == 0) at = text.find("\r\n", text.find('!') + 3);
    if (at != std::string::npos) {
        int word1 = 0, word2 = 0;
        if (std::sscanf(text.c_str() + at + 2, "%d, %d", &word1, &word2) == 2) {
            error.word1 = static_cast<uint32_t>(word1);
            error.word2 = static_cast<uint32_t>(word2);
        }
    }
}

}  // namespace

ErrorCapture::ErrorCapture() { InstallErrorPlatform({RememberBox, ThrowInsteadOfExit}); }

ErrorCapture::~ErrorCapture() {
    InstallErrorPlatform({[](const std::string&) {}, [](int code) { std::_Exit(code); }});
}

CapturedError ErrorCapture::Run(const std::function<void()>& action) {
    CapturedError result;
    g_lastBox.clear();
    int depthBefore = EventSuppressionDepth();
    try {
        action();
    } catch (const ReportEnded&) {
        result.raised = true;
        result.boxText = g_lastBox;
    }
    // A report raises event suppression for good; tests start afresh.
    while (EventSuppressionDepth() > depthBefore) LowerEventSuppression();
    if (result.raised) ParseBox(result);
    return result;
}

}  // namespace rt::testing
