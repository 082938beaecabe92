// Splitting the received byte stream into requests: a command word, CR LF, then
// fields separated by CR LF, with nothing after the last field.
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
    size_t consumed = 0;            // bytes of `pending` that the request used (Complete only)
    Request request;                // Complete only
    std::string_view problem;       // Malformed only, for the log
};

// Reads the first request of `pending`, which holds the unconsumed bytes received so
// far and ends where a read ended. The last field runs to the end of `pending`, unless
// a CR LF follows it: then the field must end with a command word (the next request,
// sent before this one was read) and stops where that word begins.
ParseResult ParseRequest(std::string_view pending);

// Whether `offset` falls between two whole GBK characters of `text`.
bool IsGbkCharacterBoundary(std::string_view text, size_t offset);

}  // namespace server
