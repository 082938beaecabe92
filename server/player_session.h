// What one connection has established: who is logged in on it and their roles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace server {

struct SessionRole {
    int64_t id = 0;
    std::string name;  // GBK, as sent on the wire
};

struct PlayerSession {
    std::string peer;          // "address:port", for the log
    std::string address;       // what per-address limits count by
    int64_t accountId = 0;     // 0 while nobody is logged in on this connection
    std::string accountName;   // GBK, as the client sent it at login
    std::vector<SessionRole> roles;

    bool LoggedIn() const { return accountId != 0; }
    void LogOut() {
        accountId = 0;
        accountName.clear();
        roles.clear();
    }
};

}  // namespace server
