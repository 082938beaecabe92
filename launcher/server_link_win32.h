// Requests to the game server and the dispatcher of its replies.
#pragma once

#include <initializer_list>

namespace launcher {

// Command word and fields joined by CR LF, sent with one send on the main
// window's connection; false when the send failed.
bool SendServerRequest(const char* command, std::initializer_list<const char*> fields);

}  // namespace launcher
