// The reference server on SQLite and on PostgreSQL, with one and with two server
// processes: logins per second at the default password cost and lucky draws per
// second, each server process hashing on one thread (a process stands for one
// machine's share of the cores). Anchors measured in the same run: bare PBKDF2 on as
// many threads as the servers hash on. Needs the PostgreSQL URL in
// LUMADREL_BENCH_POSTGRES (scripts/bench-store.sh starts a throw-away cluster).
#include <arpa/inet.h>
#include <fcntl.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "server/password_hash.h"
#include "server/server_config.h"
#include "bare_pbkdf2.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 16;
constexpr auto kLoginTime = std::chrono::seconds(6);
constexpr auto kDrawTime = std::chrono::seconds(3);
constexpr int kRounds = 2;

struct Server {
    pid_t pid = -1;
    uint16_t port = 0;
};

Server StartServer(const std::string& database) {
    std::vector<std::string> arguments = {LUMADREL_SERVER_PROGRAM, "--address", "127.0.0.1", "--port", "0",
                                          "--http-port", "0", "--db", database, "--hash-threads", "1",
                                          "--draw-limit", "1000000", "--max-per-address", "0", "--login-rate", "0",
                                          "--register-rate", "0", "--hash-queue", "1000",
                                          "--hash-queue-per-address", "1000"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int output[2];
    if (::pipe(output) != 0) return {};
    Server server;
    server.pid = ::fork();
    if (server.pid == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        ::close_range(3, ~0U, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(output[1]);
    std::string line;
    char buffer[512];
    pollfd ready{output[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&ready, 1, 20000) > 0) {
        ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0) break;
        line.append(buffer, static_cast<size_t>(got));
    }
    ::close(output[0]);
    unsigned port = 0;
    if (std::sscanf(line.c_str(), "listening: game 127.0.0.1:%u", &port) == 1) server.port = static_cast<uint16_t>(port);
    return server;
}

void StopServer(const Server& server) {
    if (server.pid <= 0) return;
    ::kill(server.pid, SIGTERM);
    ::waitpid(server.pid, nullptr, 0);
}

int Connect(uint16_t port) {
    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Each reply is one small write from the server.
std::string Exchange(int socket, const std::string& request) {
    if (::send(socket, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) return {};
    char buffer[4096];
    ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

std::string Request(const std::string& command, const std::string& first, const std::string& second) {
    return command + "\r\n" + first + "\r\n" + second;
}

// Requests per second over the clients, each sending its next once the last is answered;
// counts only answers that start with `success`.
double Measure(const std::vector<int>& sockets, const std::vector<std::string>& requests, const std::string& success,
               std::chrono::seconds time, bool& allSucceeded) {
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> done{0}, failed{0};
    auto start = Clock::now();
    std::vector<std::thread> clients;
    for (size_t i = 0; i < sockets.size(); ++i) {
        clients.emplace_back([&, i] {
            while (!stop.load(std::memory_order_relaxed)) {
                if (Exchange(sockets[i], requests[i]).rfind(success, 0) == 0) {
                    ++done;
                } else {
                    ++failed;
                }
            }
        });
    }
    std::this_thread::sleep_for(time);
    stop = true;
    for (std::thread& client : clients) client.join();
    allSucceeded = allSucceeded && failed == 0;
    return static_cast<double>(done) / std::chrono::duration<double>(Clock::now() - start).count();
}

bool RunOnPostgres(const std::string& url, const std::string& sql) {
    PGconn* connection = PQconnectdb(url.c_str());
    PQsetNoticeProcessor(connection, [](void*, const char*) {}, nullptr);
    PGresult* result = PQexec(connection, sql.c_str());
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    PQfinish(connection);
    return ok;
}

struct Figures {
    double logins = 0, bare = 0, draws = 0;
};

// Best of the rounds for each figure.
Figures RunConfiguration(const std::string& database, int processes, bool& allSucceeded) {
    std::vector<Server> servers;
    for (int i = 0; i < processes; ++i) servers.push_back(StartServer(database));
    Figures best;
    std::vector<int> sockets;
    std::vector<std::string> logins, draws;
    bool ready = true;
    for (const Server& server : servers) ready = ready && server.port != 0;
    for (int i = 0; ready && i < kClients; ++i) {
        int socket = Connect(servers[static_cast<size_t>(i % processes)].port);
        std::string account = "bench" + std::to_string(i);
        Exchange(socket, Request("注册账号", account, "benchpass"));
        ready = ready && Exchange(socket, Request("登陆商城", account, "benchpass")).rfind("登陆成功", 0) == 0;
        sockets.push_back(socket);
        logins.push_back(Request("登陆商城", account, "benchpass"));
        draws.push_back(Request("幸运抽奖", account, std::to_string(i % 16 + 1)));
    }
    if (!ready) {
        std::fprintf(stderr, "the servers on %s did not start or log in\n", database.c_str());
        allSucceeded = false;
    }
    for (int round = 0; ready && round < kRounds; ++round) {
        double bare = bench::MeasureBarePbkdf2(static_cast<unsigned>(processes), kLoginTime);
        double login = Measure(sockets, logins, "登陆成功", kLoginTime, allSucceeded);
        double draw = Measure(sockets, draws, "抽奖结果", kDrawTime, allSucceeded);
        best.bare = std::max(best.bare, bare);
        best.logins = std::max(best.logins, login);
        best.draws = std::max(best.draws, draw);
    }
    for (int socket : sockets) ::close(socket);
    for (const Server& server : servers) StopServer(server);
    return best;
}

}  // namespace

int main() {
    const char* url = std::getenv("LUMADREL_BENCH_POSTGRES");
    if (!url || !*url) {
        std::fprintf(stderr, "set LUMADREL_BENCH_POSTGRES to a PostgreSQL URL (scripts/bench-store.sh does)\n");
        return 2;
    }
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("lumadrel-store-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    bool allSucceeded = true;
    Figures figures[2][2];  // [postgres][processes - 1]
    for (int postgres = 0; postgres < 2; ++postgres) {
        for (int processes = 1; processes <= 2; ++processes) {
            std::string name = "bench_" + std::to_string(::getpid()) + "_" + std::to_string(processes);
            std::string database = (folder / (name + ".db")).string();
            if (postgres) {
                RunOnPostgres(url, "DROP SCHEMA IF EXISTS " + name + " CASCADE; CREATE SCHEMA " + name);
                database = std::string(url) + (std::string(url).find('?') == std::string::npos ? "?" : "&") +
                           "options=-csearch_path%3D" + name;
            }
            Figures& f = figures[postgres][processes - 1];
            f = RunConfiguration(database, processes, allSucceeded);
            std::printf("%-10s %d process%s: %6.2f logins/s (bare PBKDF2 on %d thread%s %6.2f/s, ratio %.2f), "
                        "%7.0f draws/s\n",
                        postgres ? "PostgreSQL" : "SQLite", processes, processes > 1 ? "es" : "  ", f.logins,
                        processes, processes > 1 ? "s" : " ", f.bare, f.logins / f.bare, f.draws);
            std::fflush(stdout);
            if (postgres) RunOnPostgres(url, "DROP SCHEMA " + name + " CASCADE");
        }
    }
    const Figures& pg1 = figures[1][0];
    const Figures& pg2 = figures[1][1];
    std::printf("at %d PBKDF2-HMAC-SHA256 iterations, %d clients, best of %d rounds (logins %lld s, draws %lld s):\n",
                server::ServerConfig{}.passwordIterations, kClients, kRounds,
                static_cast<long long>(kLoginTime.count()), static_cast<long long>(kDrawTime.count()));
    std::printf("  PostgreSQL, 2 processes / 1 process:  logins %.2f, draws %.2f (target at least 1.60)\n",
                pg2.logins / pg1.logins, pg2.draws / pg1.draws);
    // On a machine whose second core is busy elsewhere the bare loop does not double either.
    std::printf("  the same for logins against the bare loop's own 2/1:  %.2f\n",
                (pg2.logins / pg1.logins) / (pg2.bare / pg1.bare));
    std::printf("  PostgreSQL logins / bare PBKDF2:      1 process %.2f, 2 processes %.2f (target at least 0.90)\n",
                pg1.logins / pg1.bare, pg2.logins / pg2.bare);
    std::printf("  PostgreSQL / SQLite:                  logins %.2f and %.2f, draws %.2f and %.2f (1 and 2 processes)\n",
                pg1.logins / figures[0][0].logins, pg2.logins / figures[0][1].logins, pg1.draws / figures[0][0].draws,
                pg2.draws / figures[0][1].draws);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return allSucceeded ? 0 : 1;
}
