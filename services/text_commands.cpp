// Text search, splitting, comparison and measuring commands.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "runtime/values.h"
#include "services/command_arguments.h"
#include "services/core_commands.h"
#include "services/gbk_text.h"

namespace services {
namespace {

using namespace arguments;

void Find(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments, SearchDirection direction) {
    std::optional<int> start;
    if (const rt::ValueRecord* position = Given(argumentCount, arguments, 2)) start = rt::AsInteger(*position);
    const rt::ValueRecord* ignoreCase = Given(argumentCount, arguments, 3);
    bool foldCase = ignoreCase && rt::PayloadLow(*ignoreCase) == 1;
    SetInteger(result, FindInText(TextOf(Given(argumentCount, arguments, 0)), TextOf(Given(argumentCount, arguments, 1)),
                                  start, foldCase, direction));
}

}  // namespace

void FindText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    Find(result, argumentCount, arguments, SearchDirection::Forward);
}

void FindTextReverse(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    Find(result, argumentCount, arguments, SearchDirection::Reverse);
}

void SplitText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* separatorArgument = Given(argumentCount, arguments, 1);
    std::string_view separator = separatorArgument ? TextOf(separatorArgument) : std::string_view(",");
    int maximum = -1;
    if (const rt::ValueRecord* count = Given(argumentCount, arguments, 2)) maximum = std::max(rt::AsInteger(*count), 0);

    std::vector<std::string> parts = SplitIntoParts(TextOf(Given(argumentCount, arguments, 0)), separator, maximum);
    void* array = rt::CreateArray1(sizeof(char*), static_cast<uint32_t>(parts.size()));
    uint8_t* first = nullptr;
    rt::ArrayElementCount(array, &first);
    for (size_t i = 0; i < parts.size(); ++i) {
        char* element = rt::CopyText(parts[i]);
        std::memcpy(first + i * sizeof(char*), &element, sizeof element);
    }
    *result = rt::MakePointer(array, rt::kArrayFlag | rt::kTypeText);
}

void CompareText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* caseSensitive = Given(argumentCount, arguments, 2);
    bool ignoreCase = !(caseSensitive && rt::AsBool(*caseSensitive));
    SetInteger(result, CompareTexts(TextOf(Given(argumentCount, arguments, 0)),
                                    TextOf(Given(argumentCount, arguments, 1)), ignoreCase));
}

void TextLeft(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::string_view text = TextOf(Given(argumentCount, arguments, 0));
    int32_t count = IntegerOr(Given(argumentCount, arguments, 1), 0);
    if (count <= 0) return SetText(result, {});
    SetText(result, text.substr(0, static_cast<size_t>(count)));
}

void TextLength(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    SetInteger(result, static_cast<int32_t>(TextOf(Given(argumentCount, arguments, 0)).size()));
}

}  // namespace services
