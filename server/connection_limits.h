// How many connections the server holds, in all and per client address.
#pragma once

#include <asio/ip/address.hpp>

#include <cstddef>
#include <string>
#include <unordered_map>

namespace server {

// The key that per-address limits count by: the IPv4 address (also when it arrives
// mapped into IPv6), or the /64 network of an IPv6 address, which one subscriber holds.
std::string AddressKey(const asio::ip::address& address);

class ConnectionLimiter;

// One admitted connection's place; gives it back when destroyed.
class ConnectionSlot {
public:
    ConnectionSlot() = default;
    ~ConnectionSlot() { Release(); }
    ConnectionSlot(ConnectionSlot&& other) noexcept;
    ConnectionSlot& operator=(ConnectionSlot&& other) noexcept;

    const std::string& address() const { return address_; }

private:
    friend class ConnectionLimiter;
    void Release();

    ConnectionLimiter* limiter_ = nullptr;
    std::string address_;
};

// Used from the I/O thread only.
class ConnectionLimiter {
public:
    enum class Verdict { Admitted, OverTotal, OverAddress };

    // 0 for `maxPerAddress` means no per-address limit.
    ConnectionLimiter(size_t maxTotal, size_t maxPerAddress) : maxTotal_(maxTotal), maxPerAddress_(maxPerAddress) {}

    // On Admitted, `slot` holds the place until it is destroyed.
    Verdict Admit(const std::string& address, ConnectionSlot& slot);

    size_t open() const { return open_; }
    size_t maxTotal() const { return maxTotal_; }

private:
    friend class ConnectionSlot;
    void Release(const std::string& address);

    size_t maxTotal_;
    size_t maxPerAddress_;
    size_t open_ = 0;
    std::unordered_map<std::string, size_t> perAddress_;
};

}  // namespace server
