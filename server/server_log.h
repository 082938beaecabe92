// The event log: one line per event, stamped with the UTC time.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace common {
class GbkConverter;
}

namespace server {

// Receives each finished line, without its line end.
using LogSink = std::function<void(std::string_view line)>;

// Writes lines to stderr.
LogSink StandardErrorSink();

class ServerLog {
public:
    explicit ServerLog(LogSink sink) : sink_(std::move(sink)) {}

    // False when nothing is kept, so callers can skip building the line.
    bool Enabled() const { return static_cast<bool>(sink_); }
    void Write(std::string_view event) const;

private:
    LogSink sink_;
};

// A client-supplied GBK text as a quoted UTF-8 log field, control characters and
// quotes escaped; bytes that are not GBK are shown in hex.
std::string LogField(common::GbkConverter& converter, std::string_view gbk);

}  // namespace server
