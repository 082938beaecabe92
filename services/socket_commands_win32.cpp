// The socket client's commands: the first argument is the component.
#include <string>

#include "components/client_socket/client_socket_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/value_record.h"
#include "runtime/values.h"
#include "services/command_arguments.h"
#include "services/core_commands.h"

namespace services {
namespace {

// The raw bytes a value sends; false for types that send nothing at all.
bool BytesOfValue(const rt::ValueRecord& value, std::string* bytes) {
    switch (value.type) {
    case rt::kTypeText: {
        const char* text = rt::AsText(value);
        *bytes = text ? text : "";
        return true;
    }
    case rt::kTypeByteSet: *bytes = std::string(rt::ByteSetView(rt::AsByteSet(value))); return true;
    default: {
        uint32_t width = rt::BasicValueWidth(value.type);
        if (width == 0 || value.type == rt::kTypeSystemValue8) return false;
        bytes->assign(rt::PayloadBytes(value, width));
        return true;
    }
    }
}

components::ClientSocket* ClientOf(int argumentCount, rt::ValueRecord* arguments) {
    if (argumentCount < 1 || !arguments) return nullptr;
    rt::ComponentObject* object = rt::ComponentOf(rt::PayloadLow(arguments[0]), rt::PayloadHigh(arguments[0]));
    return dynamic_cast<components::ClientSocket*>(object);
}

}  // namespace

void Connect(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    components::ClientSocket* client = ClientOf(argumentCount, arguments);
    std::string_view address = arguments::TextOf(arguments::Given(argumentCount, arguments, 1));
    int32_t port = arguments::IntegerOr(arguments::Given(argumentCount, arguments, 2), 0);
    std::string addressText(address);
    arguments::SetBool(result, client && client->Connect(addressText.c_str(), port));
}

void SendData(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    components::ClientSocket* client = ClientOf(argumentCount, arguments);
    std::string bytes;
    const rt::ValueRecord* value = arguments::Given(argumentCount, arguments, 1);
    bool sent = client && value && BytesOfValue(*value, &bytes) &&
                client->Send(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int64_t>(bytes.size()), -1);
    arguments::SetBool(result, sent);
}

void GetReceivedData(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    components::ClientSocket* client = ClientOf(argumentCount, arguments);
    arguments::SetByteSet(result, client ? std::string_view(client->receivedData()) : std::string_view());
}

}  // namespace services
