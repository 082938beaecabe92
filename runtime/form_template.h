// The window template: every form of the program with its units, read from
// and written to the stored byte layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/form_record.h"
#include "runtime/read_status.h"

namespace rt {

struct FormTemplate {
    std::vector<FormRecord> forms;  // template order

    // Reads the whole template. Any field running past the end, a form table
    // length that is not a multiple of 8, a damaged unit buffer or bytes after
    // the last form fail the read; `out` is only changed on success.
    static ReadStatus Read(const uint8_t* data, size_t size, FormTemplate* out);
    // The stored layout; gives back exactly the bytes that were read.
    std::vector<uint8_t> Write() const;

    FormRecord* FindForm(uint32_t formId);
    const FormRecord* FindForm(uint32_t formId) const;
    // See FormRecord::RelocateHandlers.
    void RelocateHandlers(uint64_t base, uint32_t entrySize = kHandlerOffsetUnit);
};

}  // namespace rt
