#include "services/xml_commands.h"

#include <cstring>
#include <string>

#include "services/command_arguments.h"

namespace services {

using namespace arguments;

rt::ValueRecord MakeXmlHolderArgument(XmlDocumentHolder* holder) { return rt::MakePointer(holder, kXmlParserType); }

XmlDocumentHolder* XmlHolderFromArgument(const rt::ValueRecord& argument) {
    if (argument.type != kXmlParserType) return nullptr;
    return static_cast<XmlDocumentHolder*>(rt::PayloadPointer(argument));
}

rt::ValueRecord MakeBoolReference(int32_t* variable) { return rt::MakePointer(variable, rt::kTypeBool); }

namespace {

XmlDocumentHolder* HolderArgument(int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* argument = Given(argumentCount, arguments, 0);
    return argument ? XmlHolderFromArgument(*argument) : nullptr;
}

void WriteBoolVariable(const rt::ValueRecord* reference, bool value) {
    if (!reference || reference->type != rt::kTypeBool) return;
    auto variable = static_cast<int32_t*>(rt::PayloadPointer(*reference));
    if (!variable) return;
    int32_t word = value ? 1 : 0;
    std::memcpy(variable, &word, sizeof word);
}

}  // namespace

void LoadXml(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    SetBool(result, false);
    XmlDocumentHolder* holder = HolderArgument(argumentCount, arguments);
    const rt::ValueRecord* source = Given(argumentCount, arguments, 1);
    if (!holder || !source) return;
    if (source->type == rt::kTypeText) {
        SetBool(result, holder->LoadFile(rt::AsText(*source)));
    } else if (source->type == rt::kTypeByteSet) {
        SetBool(result, holder->Load(ByteSetOf(source)));
    }
}

void GetNodeText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const rt::ValueRecord* found = Given(argumentCount, arguments, 2);
    WriteBoolVariable(found, false);
    SetText(result, {});
    XmlDocumentHolder* holder = HolderArgument(argumentCount, arguments);
    std::string_view path = TextOf(Given(argumentCount, arguments, 1));
    if (!holder || path.empty()) return;
    std::optional<std::string> text = holder->NodeText(path);
    if (!text) return;
    SetText(result, *text);
    WriteBoolVariable(found, true);
}

void ReleaseXml(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    XmlDocumentHolder* holder = HolderArgument(argumentCount, arguments);
    SetBool(result, holder && holder->Release());
}

}  // namespace services

