// The runtime's eight support libraries, each one record with its commands
// and component types.
#pragma once

#include "runtime/support_library.h"

namespace services {

// Library 1 first; always kSupportLibraryCount records.
const rt::SupportLibrary* const* SupportLibraryTable();

}  // namespace services
