// Window template → form sources that compile back to the same bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/result.h"
#include "runtime/form_template.h"
#include "tools/form_source/handler_table.h"

namespace formsource {

// Where byte blocks go: inline (hex when short, base64 otherwise) or, with a
// directory, pictures, sounds and other blocks of 64 bytes and more as files
// there (one file per distinct content). A file that cannot be written fails
// the PrintForm that asked for it and every one after it.
struct PrintOptions;

class BlobWriter {
public:
    BlobWriter() = default;
    explicit BlobWriter(std::string directory) : directory_(std::move(directory)) {}

    // Source text for the block: none | hex "..." | base64 "..." | file "name".
    std::string Reference(const std::vector<uint8_t>& bytes, const std::string& stem);

private:
    friend common::Result<std::string> PrintForm(const rt::FormRecord&, const PrintOptions&, BlobWriter&);

    std::string directory_;
    std::map<std::vector<uint8_t>, std::string> files_;
    std::string error_;
};

struct PrintOptions {
    const HandlerTable* handlers = nullptr;  // handler offsets are printed by name where possible
};

// Source text of one form (the form line, its fields and its units), or why
// a block of it could not be written.
common::Result<std::string> PrintForm(const rt::FormRecord& form, const PrintOptions& options, BlobWriter& blobs);

}  // namespace formsource
