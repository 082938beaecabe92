// Reference game server under load on loopback, with its flood limits at their
// defaults and each client on its own loopback address as players would be: holds
// 1,000 concurrent connections, compares its leave-dungeon throughput over 100
// connections with a plain Asio echo server measured in the same run, and its logins
// per second at the default password cost with bare PBKDF2 on as many threads.
// Prints the figures and their ratios.
#include <sys/resource.h>
#include <unistd.h>

#include <asio.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/game_server.h"
#include "server/password_hash.h"
#include "bare_pbkdf2.h"

namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr int kHeldConnections = 1000;
constexpr int kLoadConnections = 100;
constexpr auto kMeasureTime = std::chrono::seconds(2);
constexpr int kRounds = 5;
constexpr int kLoginConnections = 32;
constexpr int kLoginRounds = 3;
constexpr auto kLoginMeasureTime = std::chrono::seconds(4);

// The plain echo server: what one Asio thread does with the same bytes and no protocol.
class EchoServer {
public:
    EchoServer() : acceptor_(io_, tcp::endpoint(asio::ip::address_v4::loopback(), 0)) {
        Accept();
        thread_ = std::thread([this] { io_.run(); });
    }
    ~EchoServer() {
        io_.stop();
        thread_.join();
    }
    uint16_t port() const { return acceptor_.local_endpoint().port(); }

private:
    struct Connection : std::enable_shared_from_this<Connection> {
        explicit Connection(tcp::socket s) : socket(std::move(s)) {}
        void Read() {
            socket.async_read_some(asio::buffer(buffer), [self = shared_from_this()](std::error_code error, size_t n) {
                if (error) return;
                asio::async_write(self->socket, asio::buffer(self->buffer, n),
                                  [self](std::error_code error, size_t) {
                                      if (!error) self->Read();
                                  });
            });
        }
        tcp::socket socket;
        std::array<char, 4096> buffer;
    };

    void Accept() {
        acceptor_.async_accept([this](std::error_code error, tcp::socket socket) {
            if (error) return;
            socket.set_option(tcp::no_delay(true));
            std::make_shared<Connection>(std::move(socket))->Read();
            Accept();
        });
    }

    asio::io_context io_;
    tcp::acceptor acceptor_;
    std::thread thread_;
};

// Client `index` comes from its own loopback address, 127.1.x.y.
asio::ip::address_v4 ClientAddress(int index) {
    return asio::ip::address_v4((127u << 24) | (1u << 16) | (static_cast<unsigned>(index / 250) << 8) |
                                static_cast<unsigned>(index % 250 + 1));
}

tcp::socket Connect(asio::io_context& io, uint16_t port, int client) {
    tcp::socket socket(io, tcp::v4());
    socket.bind({ClientAddress(client), 0});
    socket.connect({asio::ip::address_v4::loopback(), port});
    socket.set_option(tcp::no_delay(true));
    return socket;
}

std::string Exchange(tcp::socket& socket, const std::string& request) {
    asio::write(socket, asio::buffer(request));
    std::array<char, 4096> reply;
    size_t length = socket.read_some(asio::buffer(reply));
    return std::string(reply.data(), length);
}

// One connection sending a request, waiting for the whole reply, and again, until told to stop.
struct PingPong : std::enable_shared_from_this<PingPong> {
    PingPong(tcp::socket s, std::string r, size_t replyLength, std::atomic<bool>& stop, uint64_t& count)
        : socket(std::move(s)), request(std::move(r)), expected(replyLength), stopFlag(stop), completed(count) {}

    void Send() {
        if (stopFlag.load(std::memory_order_relaxed)) return;
        asio::async_write(socket, asio::buffer(request), [self = shared_from_this()](std::error_code error, size_t) {
            if (!error) self->Receive(0);
        });
    }
    void Receive(size_t have) {
        socket.async_read_some(asio::buffer(buffer.data() + have, buffer.size() - have),
                               [self = shared_from_this(), have](std::error_code error, size_t n) {
                                   if (error) return;
                                   if (have + n < self->expected) return self->Receive(have + n);
                                   ++self->completed;
                                   self->Send();
                               });
    }

    tcp::socket socket;
    std::string request;
    size_t expected;
    std::atomic<bool>& stopFlag;
    uint64_t& completed;
    std::array<char, 4096> buffer;
};

// Round trips per second over the given connections, each sending its own request
// and waiting for a reply of its own length.
double MeasureThroughput(asio::io_context& io, std::vector<tcp::socket>& sockets,
                         const std::vector<std::string>& requests, const std::vector<size_t>& replyLengths,
                         std::chrono::seconds measureTime = kMeasureTime) {
    std::atomic<bool> stop{false};
    uint64_t completed = 0;
    std::vector<std::shared_ptr<PingPong>> loops;
    for (size_t i = 0; i < sockets.size(); ++i) {
        loops.push_back(
            std::make_shared<PingPong>(std::move(sockets[i]), requests[i], replyLengths[i], stop, completed));
    }
    for (auto& loop : loops) loop->Send();
    io.restart();
    auto start = Clock::now();
    asio::steady_timer timer(io, measureTime);
    timer.async_wait([&](std::error_code) { stop = true; });
    io.run();  // ends when every loop has seen the stop flag and has no work left
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (size_t i = 0; i < loops.size(); ++i) sockets[i] = std::move(loops[i]->socket);
    return static_cast<double>(completed) / seconds;
}

struct Comparison {
    double anchor = 0;
    double subject = 0;
    std::vector<double> ratios;  // subject / anchor of each round

    // Rounds measure both back to back, so the median of their ratios holds up
    // best when other work on the machine comes and goes.
    double MedianRatio() const {
        std::vector<double> sorted = ratios;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// Measures the anchor and then the subject, `rounds` times, printing each round with `format`.
Comparison CompareInRounds(int rounds, const char* format, const std::function<double()>& anchor,
                  const std::function<double()>& subject) {
    Comparison best;
    for (int round = 0; round < rounds; ++round) {
        double anchorRate = anchor();
        double subjectRate = subject();
        std::printf(format, round + 1, anchorRate, subjectRate);
        best.anchor = std::max(best.anchor, anchorRate);
        best.subject = std::max(best.subject, subjectRate);
        best.ratios.push_back(subjectRate / anchorRate);
    }
    return best;
}

void PrintComparison(const Comparison& best, const char* anchorLine, const char* subjectLine, const char* ratioName,
               double target) {
    std::printf("  ");
    std::printf(anchorLine, best.anchor);
    std::printf("\n  ");
    std::printf(subjectLine, best.subject);
    std::printf("\n  ratio %-24s%.2f, median of the rounds (target at least %.2f)\n",
                (std::string(ratioName) + ":").c_str(), best.MedianRatio(), target);
}

server::ServerConfig BenchConfig(const std::filesystem::path& folder, const char* database) {
    server::ServerConfig config;
    config.address = "127.0.0.1";
    config.gamePort = 0;
    config.httpPort = 0;
    config.databasePath = (folder / database).string();
    // Every event line is built as in service, then dropped instead of written to a terminal.
    static std::atomic<uint64_t> loggedBytes{0};
    config.log = [](std::string_view line) { loggedBytes += line.size(); };
    return config;
}

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main() {
    RaiseDescriptorLimit();
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("lumadrel-server-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);

    server::ServerConfig config = BenchConfig(folder, "bench.db");
    config.passwordIterations = 1000;  // logins are set-up here, not what is measured
    server::GameServer gameServer(config);
    if (auto opened = gameServer.Open(); !opened) {
        std::fprintf(stderr, "server did not start: %s\n", opened.error().message.c_str());
        return 1;
    }
    uint16_t gamePort = gameServer.GameEndpoint().port();
    std::thread serverThread([&] { gameServer.Run(); });

    asio::io_context io;
    const std::string leaveReply = "离开副本成功";
    int exitCode = 0;

    {
        // Concurrent connections: all open at once, each answered while the others stay open.
        std::vector<tcp::socket> held;
        int answered = 0;
        for (int i = 0; i < kHeldConnections; ++i) held.push_back(Connect(io, gamePort, i));
        for (auto& socket : held) answered += !Exchange(socket, "离开副本\r\nnobody").empty();
        int stillOpen = 0;
        for (auto& socket : held) stillOpen += Exchange(socket, "离开副本\r\nnobody").size() > 0;
        std::printf("concurrent connections: %d opened, %d answered, %d answered again while all held\n",
                    kHeldConnections, answered, stillOpen);
        if (answered != kHeldConnections || stillOpen != kHeldConnections) exitCode = 1;
    }

    // Logged-in connections, each leaving the dungeon with one of its own roles.
    std::vector<tcp::socket> gameSockets;
    std::vector<std::string> gameRequests;
    for (int i = 0; i < kLoadConnections; ++i) {
        tcp::socket socket = Connect(io, gamePort, i);
        std::string account = "bench" + std::to_string(i);
        Exchange(socket, "注册账号\r\n" + account + "\r\nbenchpass");
        std::string login = Exchange(socket, "登陆商城\r\n" + account + "\r\nbenchpass");
        size_t rolesStart = login.find("\r\n");
        if (rolesStart == std::string::npos) {
            std::fprintf(stderr, "login failed for %s\n", account.c_str());
            return 1;
        }
        std::string role = login.substr(rolesStart + 2, login.find('/') - rolesStart - 2);
        gameRequests.push_back("离开副本\r\n" + role);
        gameSockets.push_back(std::move(socket));
    }

    EchoServer echo;
    std::vector<tcp::socket> echoSockets;
    for (int i = 0; i < kLoadConnections; ++i) echoSockets.push_back(Connect(io, echo.port(), i));

    // The echo server answers each request with its own bytes; the game server with "离开副本成功".
    std::vector<size_t> echoLengths, gameLengths(gameRequests.size(), leaveReply.size());
    for (const std::string& request : gameRequests) echoLengths.push_back(request.size());
    Comparison leave = CompareInRounds(
        kRounds,
        "round %d: echo %.0f round trips/s, game server %.0f leave-dungeon requests/s\n",
        [&] { return MeasureThroughput(io, echoSockets, gameRequests, echoLengths); },
        [&] { return MeasureThroughput(io, gameSockets, gameRequests, gameLengths); });
    std::printf("over %d connections, best of %d rounds of %lld s:\n", kLoadConnections, kRounds,
                static_cast<long long>(kMeasureTime.count()));
    PrintComparison(leave, "plain Asio echo server:       %.0f round trips/s", "game server, leave dungeon:   %.0f requests/s",
              "game / echo", 0.80);
    gameServer.Stop();
    serverThread.join();

    // Logins at the default password cost, each client on its own address and account.
    server::ServerConfig loginConfig = BenchConfig(folder, "logins.db");
    server::GameServer loginServer(loginConfig);
    if (auto opened = loginServer.Open(); !opened) {
        std::fprintf(stderr, "login server did not start: %s\n", opened.error().message.c_str());
        return 1;
    }
    std::thread loginThread([&] { loginServer.Run(); });
    std::vector<tcp::socket> loginSockets;
    std::vector<std::string> loginRequests;
    std::vector<size_t> loginLengths;
    for (int i = 0; i < kLoginConnections; ++i) {
        tcp::socket socket = Connect(io, loginServer.GameEndpoint().port(), i);
        std::string account = "login" + std::to_string(i);
        Exchange(socket, "注册账号\r\n" + account + "\r\nbenchpass");
        std::string request = "登陆商城\r\n" + account + "\r\nbenchpass";
        std::string reply = Exchange(socket, request);
        if (reply.rfind("登陆成功", 0) != 0) {
            std::fprintf(stderr, "login failed for %s\n", account.c_str());
            return 1;
        }
        loginRequests.push_back(request);
        loginLengths.push_back(reply.size());
        loginSockets.push_back(std::move(socket));
    }
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    Comparison logins = CompareInRounds(
        kLoginRounds,
        "round %d: bare PBKDF2 %.2f/s, logins %.2f/s\n", [&] { return bench::MeasureBarePbkdf2(threads, kLoginMeasureTime); },
        [&] { return MeasureThroughput(io, loginSockets, loginRequests, loginLengths, kLoginMeasureTime); });
    std::printf("at %d PBKDF2-HMAC-SHA256 iterations on %u threads, %d clients, best of %d rounds of %lld s:\n",
                server::ServerConfig{}.passwordIterations, threads, kLoginConnections, kLoginRounds,
                static_cast<long long>(kLoginMeasureTime.count()));
    PrintComparison(logins, "bare PBKDF2 loop:             %.2f derivations/s", "game server, login:           %.2f logins/s",
              "logins / bare", 0.90);
    loginServer.Stop();
    loginThread.join();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return exitCode;
}
