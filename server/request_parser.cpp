#include "server/request_parser.h"

#include <algorithm>
#include <array>

namespace server {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

constexpr std::array<CommandShape, 5> kShapes = {{
    {Command::RegisterAccount, "注册账号", 2},
    {Command::ShopLogin, "登陆商城", 2},
    {Command::LeaveDungeon, "离开副本", 1},
    {Command::EnchantEquipment, "附魔装备", 1},
    {Command::LuckyDraw, "幸运抽奖", 2},
}};

ParseResult Malformed(std::string_view problem) {
    ParseResult result;
    result.status = ParseStatus::Malformed;
    result.problem = problem;
    return result;
}

ParseResult NeedMore() { return ParseResult{}; }

// Length of the command word that `segment` ends with at a character boundary, or 0.
size_t TrailingCommandWord(std::string_view segment) {
    for (const CommandShape& shape : kShapes) {
        if (segment.size() >= shape.word.size() && segment.ends_with(shape.word) &&
            IsGbkCharacterBoundary(segment, segment.size() - shape.word.size())) {
            return shape.word.size();
        }
    }
    return 0;
}

enum class HeadMatch { None, Partial, Full };

// Whether `pending` starts with the word and CR LF, or is cut off inside them.
HeadMatch MatchHead(std::string_view pending, std::string_view word) {
    size_t headLength = word.size() + kLineBreak.size();
    size_t compared = std::min(pending.size(), headLength);
    for (size_t i = 0; i < compared; ++i) {
        char expected = i < word.size() ? word[i] : kLineBreak[i - word.size()];
        if (pending[i] != expected) return HeadMatch::None;
    }
    return compared == headLength ? HeadMatch::Full : HeadMatch::Partial;
}

bool HoldsNul(std::string_view field) { return field.find('\0') != std::string_view::npos; }

}  // namespace

std::span<const CommandShape> CommandShapes() { return kShapes; }

bool IsGbkCharacterBoundary(std::string_view text, size_t offset) {
    size_t position = 0;
    while (position < offset) {
        unsigned char byte = static_cast<unsigned char>(text[position]);
        // 0x81..0xFE lead a two-byte character; everything else stands alone.
        position += (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
    }
    return position == offset;
}

ParseResult ParseRequest(std::string_view pending) {
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kShapes) {
        HeadMatch match = MatchHead(pending, candidate.word);
        if (match == HeadMatch::Partial) return NeedMore();
        if (match == HeadMatch::Full) {
            shape = &candidate;
            break;
        }
    }
    if (!shape) return Malformed("unknown command word");

    ParseResult result;
    result.request.command = shape->command;
    size_t position = shape->word.size() + kLineBreak.size();
    for (int field = 0; field + 1 < shape->fieldCount; ++field) {
        size_t end = pending.find(kLineBreak, position);
        if (end == std::string_view::npos) return NeedMore();
        result.request.fields.emplace_back(pending.substr(position, end - position));
        position = end + kLineBreak.size();
    }

    std::string_view rest = pending.substr(position);
    size_t lineBreak = rest.find(kLineBreak);
    if (lineBreak == std::string_view::npos) {
        result.request.fields.emplace_back(rest);
        result.consumed = pending.size();
    } else {
        std::string_view segment = rest.substr(0, lineBreak);
        size_t nextWord = TrailingCommandWord(segment);
        if (nextWord == 0) return Malformed("more fields than the command takes");
        result.request.fields.emplace_back(segment.substr(0, segment.size() - nextWord));
        result.consumed = position + segment.size() - nextWord;
    }

    for (const std::string& field : result.request.fields) {
        if (HoldsNul(field)) return Malformed("NUL byte in a field");
    }
    result.status = ParseStatus::Complete;
    return result;
}

}  // namespace server
