// An answer of the server's HTTP side as a test reads it off one loopback
// connection: the status line, the head and the body.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace server::testing {

struct HttpReply {
    std::string statusLine;
    std::string head;  // from the status line to the last header's line break
    std::string body;
    bool closed = false;  // the server closed the connection
};

// Sends `request` on a new connection and reads until the server has been
// quiet for `quiet`; an empty reply when no whole head came.
HttpReply FetchHttp(uint16_t port, const std::string& request,
                    std::chrono::milliseconds quiet = std::chrono::milliseconds(20));

// A header's value; empty when the reply has none.
std::string Header(const HttpReply& reply, const std::string& name);

}  // namespace server::testing
