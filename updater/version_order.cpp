#include "updater/version_order.h"

#include <algorithm>

namespace updater {
namespace {

bool AllDigits(std::string_view part) {
    return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Numbers of any length: without leading zeros, the longer is the larger.
int CompareNumbers(std::string_view a, std::string_view b) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return Sign(a.compare(b));
}

// The next dotted part from `text` (consumed), or "0" once it is used up.
std::string_view NextPart(std::string_view* text, bool* more) {
    if (!*more) return "0";
    size_t dot = text->find('.');
    std::string_view part = text->substr(0, dot);
    *more = dot != std::string_view::npos;
    text->remove_prefix(*more ? dot + 1 : text->size());
    return part;
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
    bool moreA = true, moreB = true;
    while (moreA || moreB) {
        std::string_view partA = NextPart(&a, &moreA), partB = NextPart(&b, &moreB);
        int order = AllDigits(partA) && AllDigits(partB) ? CompareNumbers(partA, partB) : Sign(partA.compare(partB));
        if (order != 0) return order;
    }
    return 0;
}

}  // namespace updater
