// Configuration-file commands on the system's private-profile functions. The
// A functions keep section and key matching byte-exact on GBK text.
#include <windows.h>

#include <string>

#include "services/command_arguments.h"
#include "services/core_commands.h"

namespace services {
namespace {

using namespace arguments;

constexpr DWORD kProfileBufferSize = 10240;

// Skips leading spaces and control characters (bytes 0x01..0x20).
std::string_view WithoutLeadingBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    return text;
}

// Null only for an omitted argument: a given empty text stays "" so that it
// never turns into a deletion.
const char* TextOrNull(const rt::ValueRecord* argument) {
    if (!argument) return nullptr;
    const char* text = argument->type == rt::kTypeText ? rt::AsText(*argument) : nullptr;
    return text ? text : "";
}

}  // namespace

void ReadConfigItem(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::string defaultText(TextOf(Given(argumentCount, arguments, 3)));
    std::string fileName(WithoutLeadingBlanks(TextOf(Given(argumentCount, arguments, 0))));
    std::string section(WithoutLeadingBlanks(TextOf(Given(argumentCount, arguments, 1))));
    std::string key(WithoutLeadingBlanks(TextOf(Given(argumentCount, arguments, 2))));
    if (fileName.empty() || section.empty() || key.empty()) return SetText(result, {});

    std::string buffer(kProfileBufferSize, '\0');
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer.data(),
                                            kProfileBufferSize, fileName.c_str());
    SetText(result, std::string_view(buffer.data(), length));
}

void WriteConfigItem(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::string_view fileName = TextOf(Given(argumentCount, arguments, 0));
    std::string_view section = TextOf(Given(argumentCount, arguments, 1));
    // A null file name would write into the system's own profile, a null section flushes it.
    if (fileName.empty() || section.empty()) return SetBool(result, false);
    const char* key = TextOrNull(Given(argumentCount, arguments, 2));
    const char* value = TextOrNull(Given(argumentCount, arguments, 3));
    std::string fileText(fileName), sectionText(section);
    SetBool(result, WritePrivateProfileStringA(sectionText.c_str(), key, value, fileText.c_str()) != FALSE);
}

}  // namespace services
