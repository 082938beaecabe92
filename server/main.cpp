// lumadrel-server: starts the game server with the flags given and serves until
// SIGINT or SIGTERM.
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "server/command_line.h"
#include "server/game_server.h"
#include "server/store_copy.h"

namespace {

// Many players each hold a connection for as long as their launcher runs.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

std::string Describe(const asio::ip::tcp::endpoint& endpoint) {
    return endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
}

}  // namespace

int main(int argc, char** argv) {
    server::ServerConfig config;
    auto action = server::ParseCommandLine(argc, argv, config);
    if (!action) {
        std::cerr << argv[0] << ": " << action.error().message << "\n";
        return 2;
    }
    if (*action == server::CommandLineAction::Help) {
        std::cout << server::CommandLineHelp(argv[0]);
        return 0;
    }
    if (!config.copyFrom.empty()) {
        auto copied = server::CopyStoreLocations(config.copyFrom, config.copyTo);
        if (!copied) {
            std::cerr << argv[0] << ": copy refused: " << copied.error().message << "\n";
            return 1;
        }
        std::cout << "copied " << copied->Describe() << " from " << server::DescribeStoreLocation(config.copyFrom)
                  << " to " << server::DescribeStoreLocation(config.copyTo) << std::endl;
        return 0;
    }
    config.log = server::StandardErrorSink();
    RaiseDescriptorLimit();

    // Signals go to one waiting thread only; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    server::GameServer gameServer(config);
    if (auto opened = gameServer.Open(); !opened) {
        std::cerr << argv[0] << ": " << opened.error().message << "\n";
        return 1;
    }
    std::thread signalWaiter([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        gameServer.Stop();
    });

    server::ServerLog log(server::StandardErrorSink());
    std::string listening = "listening: game " + Describe(gameServer.GameEndpoint()) + ", http " +
                            Describe(gameServer.HttpEndpoint());
    if (config.adminPort >= 0) listening += ", admin " + Describe(gameServer.AdminEndpoint());
    log.Write(listening);
    std::cout << listening << ", db " << server::DescribeStoreLocation(config.databasePath) << std::endl;
    gameServer.Run();
    // Wakes the waiter if the server stopped for another reason; harmless otherwise.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    log.Write("stopped");
    return 0;
}
