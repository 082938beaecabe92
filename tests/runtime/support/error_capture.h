// Catches runtime error reports in tests: the report's last step throws
// instead of ending the process, so a test can look at what was reported.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace rt::testing {

struct CapturedError {
    bool raised = false;
    std::string message;
    int code = 0;
    uint32_t word1 = 0;
    uint32_t word2 = 0;
    std::string boxText;
};

class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    // Runs the action; returns the report it raised, if any.
    CapturedError Run(const std::function<void()>& action);
};

}  // namespace rt::testing
