#include "runtime/entry_points.h"

namespace rt {

ValueRecord CallLibraryCommand(CommandFunction command, int argumentCount, ValueRecord* arguments) {
    ValueRecord result{};
    if (command) command(&result, argumentCount, arguments);
    return result;
}

}  // namespace rt
