#include "launcher/commands_win32.h"

#include "launcher/form_ids.h"
#include "runtime/entry_points.h"
#include "runtime/form_registry_win32.h"
#include "runtime/startup_trace.h"
#include "runtime/type_references.h"
#include "runtime/values.h"
#include "services/core_commands.h"
#include "services/http_download.h"
#include "services/shell_commands.h"
#include "services/window_commands_win32.h"
#include "services/xml_commands.h"
#include "services/xml_document.h"

namespace launcher {
namespace {

template <size_t N>
rt::ValueRecord Call(rt::CommandFunction command, rt::ValueRecord (&arguments)[N]) {
    return rt::CallLibraryCommand(command, static_cast<int>(N), arguments);
}
rt::ValueRecord Call(rt::CommandFunction command) { return rt::CallLibraryCommand(command, 0, nullptr); }

char* TextResult(const rt::ValueRecord& result) { return const_cast<char*>(rt::AsText(result)); }
uint8_t* BytesResult(const rt::ValueRecord& result) { return const_cast<uint8_t*>(rt::AsByteSet(result)); }

rt::ValueRecord Window(uint32_t formId) { return rt::MakeComponentRef(formId, 0, rt::kWindowTypeReference); }
rt::ValueRecord ClientReference() {
    return rt::MakeComponentRef(main_window::kForm, main_window::kClient, rt::kClientTypeReference);
}

}  // namespace

int32_t ShowMessage(const char* content, int32_t flags, const char* title) {
    if (title) {
        rt::ValueRecord arguments[] = {rt::MakeText(content), rt::MakeInteger(flags), rt::MakeText(title)};
        return rt::AsInteger(Call(services::MessageBox, arguments));
    }
    rt::ValueRecord arguments[] = {rt::MakeText(content), rt::MakeInteger(flags)};
    return rt::AsInteger(Call(services::MessageBox, arguments));
}

bool LoadWindow(uint32_t formId, bool modal) {
    rt::ValueRecord arguments[] = {Window(formId), rt::ValueRecord{}, rt::MakeBool(modal)};
    return rt::AsBool(Call(services::LoadWindow, arguments));
}

void Destroy(uint32_t formId) {
    rt::ValueRecord arguments[] = {Window(formId)};
    Call(services::Destroy, arguments);
}

int32_t GetWindowHandle(uint32_t formId, uint32_t unitId) {
    rt::ValueRecord arguments[] = {rt::MakeComponentRef(formId, unitId, rt::kWindowTypeReference)};
    return rt::AsInteger(Call(services::GetWindowHandle, arguments));
}

void SetComponentFocus(uint32_t formId, uint32_t unitId, uint32_t typeReference) {
    rt::ValueRecord arguments[] = {rt::MakeComponentRef(formId, unitId, typeReference)};
    Call(services::SetComponentFocus, arguments);
}

int32_t SendWindowMessage(uint32_t formId, uint32_t unitId, uint32_t message, int32_t wParam, int32_t lParam) {
    rt::ValueRecord arguments[] = {rt::MakeComponentRef(formId, unitId, rt::kWindowTypeReference),
                                   rt::MakeInteger(static_cast<int32_t>(message)), rt::MakeInteger(wParam),
                                   rt::MakeInteger(lParam)};
    return rt::AsInteger(Call(services::SendWindowMessage, arguments));
}

char* GetItemText(uint32_t formId, uint32_t unitId, int32_t index) {
    rt::ValueRecord arguments[] = {rt::MakeComponentRef(formId, unitId, rt::kComboBoxTypeReference), rt::MakeInteger(index)};
    return TextResult(Call(services::GetItemText, arguments));
}

int32_t AddItem(uint32_t formId, uint32_t unitId, const char* text) {
    rt::ValueRecord arguments[] = {rt::MakeComponentRef(formId, unitId, rt::kComboBoxTypeReference), rt::MakeText(text)};
    return rt::AsInteger(Call(services::AddItem, arguments));
}

char* ReadTextProperty(uint32_t formId, uint32_t unitId, int32_t property) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(rt::ReadProperty(formId, unitId, property, -1)));
}

void WriteTextProperty(uint32_t formId, uint32_t unitId, int32_t property, const char* text) {
    rt::WriteProperty(formId, unitId, property, -1, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(text)));
}

int32_t ReadIntegerProperty(uint32_t formId, uint32_t unitId, int32_t property) {
    return static_cast<int32_t>(static_cast<uint32_t>(rt::ReadProperty(formId, unitId, property, -1)));
}

void WriteIntegerProperty(uint32_t formId, uint32_t unitId, int32_t property, int32_t value) {
    rt::WriteProperty(formId, unitId, property, -1, static_cast<uint32_t>(value));
}

bool FormLoaded(uint32_t formId) {
    rt::Form* form = rt::FindForm(formId);
    return form && form->Loaded();
}

bool ConnectToServer(const char* address, int32_t port) {
    trace::Span span("connect", address);
    rt::ValueRecord arguments[] = {ClientReference(), rt::MakeText(address), rt::MakeInteger(port)};
    return rt::AsBool(Call(services::Connect, arguments));
}

bool SendRequest(const char* request) {
    rt::ValueRecord arguments[] = {ClientReference(), rt::MakeText(request)};
    return rt::AsBool(Call(services::SendData, arguments));
}

uint8_t* GetReceivedData() {
    rt::ValueRecord arguments[] = {ClientReference()};
    return BytesResult(Call(services::GetReceivedData, arguments));
}

char* GetRunDirectory() { return TextResult(Call(services::GetRunDirectory)); }

char* ReadConfigItem(const char* file, const char* section, const char* key) {
    rt::ValueRecord arguments[] = {rt::MakeText(file), rt::MakeText(section), rt::MakeText(key)};
    return TextResult(Call(services::ReadConfigItem, arguments));
}

bool WriteConfigItem(const char* file, const char* section, const char* key, const char* value) {
    rt::ValueRecord arguments[] = {rt::MakeText(file), rt::MakeText(section), rt::MakeText(key), rt::MakeText(value)};
    return rt::AsBool(Call(services::WriteConfigItem, arguments));
}

char* GetSpecialFolder(int32_t code) {
    trace::Span span("special folder");
    rt::ValueRecord arguments[] = {rt::MakeInteger(code)};
    return TextResult(Call(services::GetSpecialFolder, arguments));
}

bool CreateShortcut(const char* link, const char* target) {
    trace::Span span("shell link");
    rt::ValueRecord arguments[] = {rt::MakeText(link), rt::MakeText(target)};
    return rt::AsBool(Call(services::CreateShortcut, arguments));
}

int32_t RunFile(int32_t operation, const char* file, const char* parameters) {
    rt::ValueRecord arguments[] = {rt::MakeInteger(operation), rt::MakeText(file), rt::MakeText(parameters)};
    return rt::AsInteger(Call(services::RunFile, arguments));
}

void Delay(int32_t milliseconds) {
    rt::ValueRecord arguments[] = {rt::MakeInteger(milliseconds)};
    Call(services::Delay, arguments);
}

uint8_t* HttpReadFile(const char* url) {
    trace::Span span("HTTP read", url);
    rt::ValueRecord arguments[] = {rt::MakeText(url)};
    return BytesResult(Call(services::HttpReadFile, arguments));
}

XmlTree::XmlTree() : holder_(new services::XmlDocumentHolder) {}
XmlTree::~XmlTree() {
    Release();
    delete static_cast<services::XmlDocumentHolder*>(holder_);
}

bool XmlTree::Load(const uint8_t* byteSet) {
    rt::ValueRecord arguments[] = {
        services::MakeXmlHolderArgument(static_cast<services::XmlDocumentHolder*>(holder_)),
        rt::MakeByteSetValue(byteSet)};
    return rt::AsBool(Call(services::LoadXml, arguments));
}

char* XmlTree::NodeText(const char* path) {
    rt::ValueRecord arguments[] = {
        services::MakeXmlHolderArgument(static_cast<services::XmlDocumentHolder*>(holder_)), rt::MakeText(path)};
    return TextResult(Call(services::GetNodeText, arguments));
}

bool XmlTree::Release() {
    rt::ValueRecord arguments[] = {
        services::MakeXmlHolderArgument(static_cast<services::XmlDocumentHolder*>(holder_))};
    return rt::AsBool(Call(services::ReleaseXml, arguments));
}

}  // namespace launcher
