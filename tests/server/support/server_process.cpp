#include "support/server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace server::testing {

namespace {

// The first stdout line, "listening: game 127.0.0.1:P, http 127.0.0.1:Q, db …", within `waitMs`.
std::string ReadFirstLine(int descriptor, int waitMs) {
    std::string line;
    while (line.find('\n') == std::string::npos) {
        pollfd ready{descriptor, POLLIN, 0};
        if (::poll(&ready, 1, waitMs) <= 0) break;
        char buffer[256];
        ssize_t length = ::read(descriptor, buffer, sizeof buffer);
        if (length <= 0) break;
        line.append(buffer, static_cast<size_t>(length));
    }
    return line;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& flags, int descriptorLimit)
    : logPath_(folder_.path() + "/server.log") {
    std::vector<std::string> arguments = {LUMADREL_SERVER_PROGRAM, "--address", "127.0.0.1", "--port", "0",
                                          "--http-port", "0", "--db", folder_.path() + "/server.db"};
    arguments.insert(arguments.end(), flags.begin(), flags.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) return;
    int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (descriptorLimit > 0) {
            rlimit limit{static_cast<rlim_t>(descriptorLimit), static_cast<rlim_t>(descriptorLimit)};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        // Sockets of the tests' own clients would count against the server's limit.
        ::close_range(3, ~0U, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(output[1]);
    ::close(log);
    std::string line = ReadFirstLine(output[0], 20000);
    ::close(output[0]);
    unsigned game = 0, http = 0;
    if (std::sscanf(line.c_str(), "listening: game 127.0.0.1:%u, http 127.0.0.1:%u", &game, &http) == 2) {
        gamePort_ = static_cast<uint16_t>(game);
        httpPort_ = static_cast<uint16_t>(http);
        unsigned admin = 0;
        size_t at = line.find(", admin 127.0.0.1:");
        if (at != std::string::npos && std::sscanf(line.c_str() + at, ", admin 127.0.0.1:%u", &admin) == 1) {
            adminPort_ = static_cast<uint16_t>(admin);
        }
    } else {
        ADD_FAILURE() << "the server did not start: " << line;
    }
}

ServerProcess::~ServerProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, killed_ ? SIGKILL : SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    if (!killed_) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "server exit status " << status;
    }
}

void ServerProcess::Kill() {
    if (pid_ <= 0 || killed_) return;
    killed_ = true;
    ::kill(pid_, SIGKILL);
}

int RunServerProgram(const std::vector<std::string>& arguments, std::string& output) {
    std::string command = LUMADREL_SERVER_PROGRAM;
    for (const std::string& argument : arguments) {
        std::string quoted = "'";
        for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += " " + quoted + "'";
    }
    FILE* program = ::popen((command + " 2>&1").c_str(), "r");
    if (!program) return -1;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, program)) > 0;) output.append(buffer, got);
    int status = ::pclose(program);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> ServerProcess::LogLines() const {
    std::vector<std::string> lines;
    std::ifstream log(logPath_);
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

}  // namespace server::testing
