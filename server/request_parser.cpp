#include "server/request_parser.h"

#include <algorithm>
#include <array>

#include "common/text/gbk.h"

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

ParseResult NeedMore(size_t skipped) {
    ParseResult result;
    result.consumed = skipped;
    return result;
}

// Line breaks before a request: what a client that ends each request with one leaves
// when the break arrives apart from its request.
size_t LeadingLineBreaks(std::string_view pending) {
    size_t position = 0;
    for (;;) {
        if (pending.substr(position).starts_with(kLineBreak)) {
            position += kLineBreak.size();
        } else if (pending.substr(position).starts_with('\n')) {
            position += 1;
        } else {
            return position;
        }
    }
}

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

// Whether `text` is empty, only line breaks, or the start of another request.
bool StartsLikeRequest(std::string_view text) {
    text.remove_prefix(LeadingLineBreaks(text));
    if (text.empty() || text == "\r") return true;
    return std::any_of(kShapes.begin(), kShapes.end(),
                       [&](const CommandShape& shape) { return MatchHead(text, shape.word) != HeadMatch::None; });
}

bool HoldsNul(std::string_view field) { return field.find('\0') != std::string_view::npos; }

}  // namespace

std::span<const CommandShape> CommandShapes() { return kShapes; }

bool IsGbkCharacterBoundary(std::string_view text, size_t offset) {
    size_t position = 0;
    while (position < offset) {
        unsigned char byte = static_cast<unsigned char>(text[position]);
        position += common::IsGbkLeadByte(byte) ? 2 : 1;
    }
    return position == offset;
}

ParseResult ParseRequest(std::string_view pending) {
    size_t skipped = LeadingLineBreaks(pending);
    std::string_view body = pending.substr(skipped);
    if (body.empty() || body == "\r") return NeedMore(skipped);

    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kShapes) {
        HeadMatch match = MatchHead(body, candidate.word);
        if (match == HeadMatch::Partial) return NeedMore(skipped);
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
        size_t end = body.find(kLineBreak, position);
        if (end == std::string_view::npos) return NeedMore(skipped);
        result.request.fields.emplace_back(body.substr(position, end - position));
        position = end + kLineBreak.size();
    }

    // The last field runs to the end of what was received unless a line break ends it:
    // one that a command word stands right before (the launcher's next request, sent
    // without a separator), or one followed by nothing or by the next request.
    std::string_view rest = body.substr(position);
    size_t fieldLength = rest.size();
    size_t used = rest.size();
    for (size_t lineFeed = rest.find('\n'); lineFeed != std::string_view::npos;
         lineFeed = rest.find('\n', lineFeed + 1)) {
        bool crLf = lineFeed > 0 && rest[lineFeed - 1] == '\r';
        std::string_view segment = rest.substr(0, crLf ? lineFeed - 1 : lineFeed);
        size_t nextWord = crLf ? TrailingCommandWord(segment) : 0;
        if (nextWord > 0) {
            fieldLength = used = segment.size() - nextWord;
            break;
        }
        if (StartsLikeRequest(rest.substr(lineFeed + 1))) {
            fieldLength = segment.size();
            used = lineFeed + 1;
            break;
        }
        // A bare LF may be part of the field; a CR LF may not.
        if (crLf) return Malformed("more fields than the command takes");
    }
    result.request.fields.emplace_back(rest.substr(0, fieldLength));
    result.consumed = skipped + position + used;

    for (const std::string& field : result.request.fields) {
        if (HoldsNul(field)) return Malformed("NUL byte in a field");
    }
    result.status = ParseStatus::Complete;
    return result;
}

}  // namespace server
