#include "launcher/text_commands.h"

#include "runtime/entry_points.h"
#include "runtime/values.h"
#include "services/core_commands.h"

namespace launcher {
namespace {

template <size_t N>
rt::ValueRecord Call(rt::CommandFunction command, rt::ValueRecord (&arguments)[N]) {
    return rt::CallLibraryCommand(command, static_cast<int>(N), arguments);
}
rt::ValueRecord Call(rt::CommandFunction command) { return rt::CallLibraryCommand(command, 0, nullptr); }
char* TextResult(const rt::ValueRecord& result) { return const_cast<char*>(rt::AsText(result)); }

}  // namespace

Owned::~Owned() { rt::Free(block_); }

int32_t FindText(const char* text, const char* sought) {
    rt::ValueRecord arguments[] = {rt::MakeText(text), rt::MakeText(sought), rt::MakeInteger(1), rt::MakeBool(false)};
    return rt::AsInteger(Call(services::FindText, arguments));
}
void* SplitText(const char* text, const char* separator) {
    rt::ValueRecord arguments[] = {rt::MakeText(text), rt::MakeText(separator)};
    return rt::PayloadPointer(Call(services::SplitText, arguments));
}
int32_t TextLength(const char* text) {
    rt::ValueRecord arguments[] = {rt::MakeText(text)};
    return rt::AsInteger(Call(services::TextLength, arguments));
}
int32_t CompareText(const char* first, const char* second, bool caseSensitive) {
    rt::ValueRecord arguments[] = {rt::MakeText(first), rt::MakeText(second), rt::MakeBool(caseSensitive)};
    return rt::AsInteger(Call(services::CompareText, arguments));
}
char* ToText(int32_t value) {
    rt::ValueRecord arguments[] = {rt::MakeInteger(value)};
    return TextResult(Call(services::ToText, arguments));
}
char* ToText(const uint8_t* byteSet) {
    rt::ValueRecord arguments[] = {rt::MakeByteSetValue(byteSet)};
    return TextResult(Call(services::ToText, arguments));
}
int32_t ToInteger(const char* text) {
    rt::ValueRecord arguments[] = {rt::MakeText(text)};
    return rt::AsInteger(Call(services::ToInteger, arguments));
}
void SetRandomSeed() { Call(services::SetRandomSeed); }
int32_t RandomNumber(int32_t minimum, int32_t maximum) {
    rt::ValueRecord arguments[] = {rt::MakeInteger(minimum), rt::MakeInteger(maximum)};
    return rt::AsInteger(Call(services::RandomNumber, arguments));
}

}  // namespace launcher
