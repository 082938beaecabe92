// Form sources → window template.
#pragma once

#include <string>

#include "common/result.h"
#include "runtime/form_template.h"
#include "tools/form_source/handler_table.h"

namespace formsource {

struct CompileOptions {
    // Handler list to use instead of the one named by a `handlers` line.
    std::string handlerFile;
};

struct CompileResult {
    rt::FormTemplate formTemplate;
    HandlerTable handlers;
    std::string handlerFile;  // where the handler names came from, if anywhere
};

// Reads the source file (and what it includes) and builds the template.
// Fails with "file:line: message" for the first problem found.
common::Result<CompileResult> CompileTemplate(const std::string& sourcePath, const CompileOptions& options);

}  // namespace formsource
