#include "support/http_reply.h"

#include "support/loopback_client.h"

namespace server::testing {

HttpReply FetchHttp(uint16_t port, const std::string& request, std::chrono::milliseconds quiet) {
    LoopbackClient client(port);
    client.Send(request);
    std::string bytes = client.Receive(std::chrono::milliseconds(3000), quiet);
    HttpReply reply;
    reply.closed = client.ClosedByPeer();
    size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos) return reply;
    reply.head = bytes.substr(0, headEnd + 2);
    reply.body = bytes.substr(headEnd + 4);
    reply.statusLine = reply.head.substr(0, reply.head.find("\r\n"));
    return reply;
}

std::string Header(const HttpReply& reply, const std::string& name) {
    size_t at = reply.head.find("\r\n" + name + ": ");
    if (at == std::string::npos) return {};
    size_t start = at + name.size() + 4;
    return reply.head.substr(start, reply.head.find("\r\n", start) - start);
}

}  // namespace server::testing
