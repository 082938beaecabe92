// Splitting the received byte stream into requests: a command word, CR LF, then
// fields separated by CR LF. The launcher sends nothing after the last field; other
// clients may end a request with CR LF or LF.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace server {

enum class Command { RegisterAccount, ShopLogin, LeaveDungeon, EnchantEquipment, LuckyDraw };

struct CommandShape {
    Command command;
    std::string_view word;  // GBK
    int fieldCount;
};

std::span<const CommandShape> CommandShapes();

struct Request {
    Command command = Command::LeaveDungeon;
    std::vector<std::string> fields;
};

enum class ParseStatus { Complete, NeedMore, Malformed };

struct ParseResult {
    ParseStatus status = ParseStatus::NeedMore;
    // Complete: bytes of `pending` that the request used, with the line breaks around it.
    // NeedMore: leading line breaks that can be dropped.
    size_t consumed = 0;
    Request request;                // Complete only
    std::string_view problem;       // Malformed only, for the log
};

// Reads the first request of `pending`, which holds the unconsumed bytes received so
// far and ends where a read ended. The last field runs to the end of `pending`, unless
// a CR LF follows it: then either the field ends with a command word (the next request,
// sent before this one was read) and stops where that word begins, or the line break
// ends the request because nothing or another request follows it. A bare LF ends the
// field the same way; elsewhere it is part of the field.
ParseResult ParseRequest(std::string_view pending);

// Whether `offset` falls between two whole GBK characters of `text`.
bool IsGbkCharacterBoundary(std::string_view text, size_t offset);

}  // namespace server
