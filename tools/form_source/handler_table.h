// The handler list: one handler name per line, in handler-table order. The
// handler offset stored in the template for the name at index i is 4 × i.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"

namespace formsource {

struct HandlerTable {
    std::vector<std::string> names;

    // Offset of the named handler; false when the table has no such name.
    bool OffsetOf(const std::string& name, uint32_t* offset) const;
    // Name for a stored offset; null when the offset is not a table entry.
    const std::string* NameAt(uint32_t offset) const;
};

// Names are C identifiers, one per line; blank lines and `#` comments are
// skipped. Fails with "file:line: message" on a bad or repeated name.
common::Result<HandlerTable> ReadHandlerTable(const std::string& path);

// An include file for the program: one LUMADREL_HANDLER(offset, name) line per
// handler, for the program to expand into its handler table.
std::string HandlerTableInclude(const HandlerTable& table, const std::string& sourceName);

}  // namespace formsource
