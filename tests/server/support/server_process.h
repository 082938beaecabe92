// The server program itself as a child process, on loopback with free ports and a
// temporary database, optionally under a descriptor limit; its stderr log is kept.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_server.h"

namespace server::testing {

class ServerProcess {
public:
    // `descriptorLimit` > 0 sets RLIMIT_NOFILE (soft and hard) for the server, as prlimit does.
    explicit ServerProcess(const std::vector<std::string>& flags, int descriptorLimit = 0);
    // Stops the server with SIGTERM, as an operator would.
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return gamePort_ != 0; }
    uint16_t gamePort() const { return gamePort_; }
    uint16_t httpPort() const { return httpPort_; }

    uint16_t adminPort() const { return adminPort_; }
    pid_t pid() const { return pid_; }

    // The log lines written so far.
    std::vector<std::string> LogLines() const;

    // Ends the server with SIGKILL, as a crash would; the destructor then only reaps it.
    void Kill();

private:
    TemporaryFolder folder_;
    std::string logPath_;
    pid_t pid_ = -1;
    uint16_t gamePort_ = 0;
    uint16_t httpPort_ = 0;
    uint16_t adminPort_ = 0;
    bool killed_ = false;
};

// Runs the server program with `arguments` to its end; its exit status, with stdout
// and stderr in `output`.
int RunServerProgram(const std::vector<std::string>& arguments, std::string& output);

}  // namespace server::testing
