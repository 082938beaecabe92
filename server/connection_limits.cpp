#include "server/connection_limits.h"

#include <utility>

namespace server {

std::string AddressKey(const asio::ip::address& address) {
    if (address.is_v4()) return address.to_string();
    asio::ip::address_v6 v6 = address.to_v6();
    if (v6.is_v4_mapped()) return asio::ip::make_address_v4(asio::ip::v4_mapped, v6).to_string();
    asio::ip::address_v6::bytes_type bytes = v6.to_bytes();
    for (size_t i = 8; i < bytes.size(); ++i) bytes[i] = 0;
    return asio::ip::address_v6(bytes).to_string() + "/64";
}

ConnectionSlot::ConnectionSlot(ConnectionSlot&& other) noexcept
    : limiter_(std::exchange(other.limiter_, nullptr)), address_(std::move(other.address_)) {}

ConnectionSlot& ConnectionSlot::operator=(ConnectionSlot&& other) noexcept {
    if (this != &other) {
        Release();
        limiter_ = std::exchange(other.limiter_, nullptr);
        address_ = std::move(other.address_);
    }
    return *this;
}

void ConnectionSlot::Release() {
    if (limiter_) std::exchange(limiter_, nullptr)->Release(address_);
}

ConnectionLimiter::Verdict ConnectionLimiter::Admit(const std::string& address, ConnectionSlot& slot) {
    if (open_ >= maxTotal_) return Verdict::OverTotal;
    size_t& fromAddress = perAddress_[address];
    if (maxPerAddress_ > 0 && fromAddress >= maxPerAddress_) return Verdict::OverAddress;
    ++fromAddress;
    ++open_;
    slot = ConnectionSlot();
    slot.limiter_ = this;
    slot.address_ = address;
    return Verdict::Admitted;
}

void ConnectionLimiter::Release(const std::string& address) {
    --open_;
    auto found = perAddress_.find(address);
    if (found != perAddress_.end() && --found->second == 0) perAddress_.erase(found);
}

}  // namespace server
