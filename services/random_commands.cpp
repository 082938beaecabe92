// Random-number commands.
#include "services/command_arguments.h"
#include "services/core_commands.h"
#include "services/random_generator.h"

namespace services {

using namespace arguments;

void SetRandomSeed(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    if (const rt::ValueRecord* seed = Given(argumentCount, arguments, 0)) SeedRandom(rt::PayloadLow(*seed));
    else SeedRandomFromClock();
}

void RandomNumber(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    SetInteger(result, RandomBetween(IntegerOr(Given(argumentCount, arguments, 0), -1),
                                     IntegerOr(Given(argumentCount, arguments, 1), -1)));
}

}  // namespace services
