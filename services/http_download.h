// The internet library's download command and its one session per process.
#pragma once

#include <cstdint>

#include "runtime/value_record.h"

namespace services {

// The largest body a download returns: the largest update document the
// updater accepts, so every document it would install is one the launcher reads.
constexpr uint32_t kLargestHttpBody = 16u << 20;

// URL: text -> byte set with the response body read (empty on failure). The
// HTTP status is not examined: an error page's body is returned too.
// A body larger than kLargestHttpBody (announced or read) is a failure.
void HttpReadFile(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);

// Connect, send and receive time-outs, applied to the session and to every
// connection and request, so a silent server cannot block for ever.
struct HttpTimeouts {
    uint32_t connectMilliseconds;
    uint32_t sendMilliseconds;
    uint32_t receiveMilliseconds;
};
constexpr HttpTimeouts kDefaultHttpTimeouts = {15000, 30000, 30000};
void SetHttpTimeouts(const HttpTimeouts& timeouts);

// The session handle (null until the first download opens it); closed when
// the library shuts down.
void* CurrentHttpSession();
void CloseHttpSession();

// Sees every read of a download: bytes asked for and bytes received.
using HttpReadObserver = void (*)(uint32_t requested, uint32_t received);
void SetHttpReadObserver(HttpReadObserver observer);

}  // namespace services
