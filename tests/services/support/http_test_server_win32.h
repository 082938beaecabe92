// A loopback HTTP server on its own thread for the download tests. Paths:
//   /length/N      N body bytes with Content-Length N
//   /nolength/N    N body bytes, no Content-Length, end by closing
//   /short/N/M     Content-Length N, but only M bytes before closing
//   /missing       404 with the body "no such document"
//   /silent        accepts, reads the request, never answers
//   /endless       a body without end and without Content-Length
//   /endless/N     a body without end that claims Content-Length N
#pragma once

#include <string>
#include <vector>

#include "support/scripted_http_server_win32.h"

namespace services::testing {

// Byte i of every body.
inline char BodyByte(size_t i) { return static_cast<char>('a' + i % 23); }

class HttpTestServer {
public:
    HttpTestServer() : server_(Answer) {}
    bool Started() const { return server_.Started(); }
    std::string Url(const std::string& path) const { return server_.Url(path); }
    // Request heads received so far, in arrival order.
    std::vector<std::string> Requests() { return server_.Heads(); }
    void Stop() { server_.Stop(); }

private:
    static std::string Answer(const std::string& head);

    rt::testing::ScriptedHttpServer server_;
};

}  // namespace services::testing
