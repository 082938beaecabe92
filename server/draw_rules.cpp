#include "server/draw_rules.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace server {

namespace {

// Mostly small prizes, with the rare large ones spread around the ring.
constexpr std::array<int, DrawRules::kSlotCount> kPrizes = {
    10, 20, 5, 50, 10, 100, 5, 20, 10, 200, 5, 50, 10, 20, 5, 500,
};

}  // namespace

int DrawRules::PrizeForSlot(int slot) {
    if (slot < 1 || slot > kSlotCount) return 0;
    return kPrizes[static_cast<size_t>(slot - 1)];
}

bool DrawRules::ParseSlot(std::string_view text, int& slot) {
    if (text.empty() || text.size() > 2 || text[0] == '0') return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kSlotCount) return false;
    slot = value;
    return true;
}

std::string DrawRules::DayOf(std::chrono::system_clock::time_point moment) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

}  // namespace server
