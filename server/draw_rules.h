// The lucky draw: which slot pays what, how many draws a day, and what "today" is.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace server {

class DrawRules {
public:
    static constexpr int kSlotCount = 16;

    explicit DrawRules(int dailyLimit) : dailyLimit_(dailyLimit < 0 ? 0 : dailyLimit) {}

    int dailyLimit() const { return dailyLimit_; }

    // Diamonds won on a slot 1..16.
    static int PrizeForSlot(int slot);

    // Accepts exactly "1".."16": decimal, no sign, no leading zero, no blanks.
    static bool ParseSlot(std::string_view text, int& slot);

    // The draw day of a moment: its date in the server's local time zone, "YYYY-MM-DD".
    static std::string DayOf(std::chrono::system_clock::time_point moment);

private:
    int dailyLimit_;
};

}  // namespace server
