#include "updater/multipart_ranges.h"

#include <charconv>
#include <cstring>

#include "common/ascii.h"

namespace updater {
namespace {

constexpr size_t kLongestLine = 1024;
constexpr size_t kMostLines = 32;  // before the first part, or headers of one part
constexpr size_t kLongestEpilogue = 1024;
constexpr size_t kLongestBoundary = 70;

using common::Trimmed;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) { return common::EqualIgnoringAsciiCase(a, b); }

bool ParseNumber(std::string_view text, uint64_t* value) {
    if (text.empty() || text.size() > 19) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<AskedRange> ParseContentRange(std::string_view text, uint64_t fileSize) {
    text = Trimmed(text);
    if (text.size() < 6 || !EqualsIgnoringCase(text.substr(0, 6), "bytes ")) return std::nullopt;
    text = Trimmed(text.substr(6));
    size_t dash = text.find('-'), slash = text.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
    AskedRange range;
    uint64_t total = 0;
    if (!ParseNumber(text.substr(0, dash), &range.first) ||
        !ParseNumber(text.substr(dash + 1, slash - dash - 1), &range.last))
        return std::nullopt;
    std::string_view totalText = text.substr(slash + 1);
    if (totalText != "*" && (!ParseNumber(totalText, &total) || total != fileSize)) return std::nullopt;
    if (range.first > range.last || range.last >= fileSize) return std::nullopt;
    return range;
}

std::optional<std::string> ByteRangesBoundary(std::string_view contentType) {
    size_t semicolon = contentType.find(';');
    if (semicolon == std::string_view::npos ||
        !EqualsIgnoringCase(Trimmed(contentType.substr(0, semicolon)), "multipart/byteranges"))
        return std::nullopt;
    std::string_view parameters = contentType.substr(semicolon + 1);
    while (!parameters.empty()) {
        size_t end = parameters.find(';');
        std::string_view parameter = Trimmed(parameters.substr(0, end));
        parameters = end == std::string_view::npos ? std::string_view() : parameters.substr(end + 1);
        size_t equals = parameter.find('=');
        if (equals == std::string_view::npos || !EqualsIgnoringCase(Trimmed(parameter.substr(0, equals)), "boundary"))
            continue;
        std::string_view value = Trimmed(parameter.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.empty() || value.size() > kLongestBoundary) return std::nullopt;
        for (char c : value) {
            auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x7F || c == '"') return std::nullopt;
        }
        return std::string(value);
    }
    return std::nullopt;
}

MultipartRangeReader::MultipartRangeReader(std::string boundary, std::vector<AskedRange> asked, uint64_t fileSize)
    : boundary_("--" + std::move(boundary)), asked_(std::move(asked)), received_(asked_.size(), false),
      fileSize_(fileSize) {}

MultipartRangeReader::Status MultipartRangeReader::Feed(const char* data, size_t size, const Sink& sink) {
    if (failed_ != Status::More) return failed_;
    while (size > 0) {
        if (state_ == State::Epilogue) {
            epilogue_ += size;
            return epilogue_ > kLongestEpilogue ? Fail(Status::Malformed) : Status::Done;
        }
        if (state_ == State::Body) {
            size_t take = remaining_ < size ? static_cast<size_t>(remaining_) : size;
            if (!sink(offset_, data, take)) return Fail(Status::Stopped);
            offset_ += take;
            remaining_ -= take;
            data += take;
            size -= take;
            if (remaining_ == 0) state_ = State::AfterBody;
            continue;
        }
        const void* newline = std::memchr(data, '\n', size);
        size_t take = newline ? static_cast<size_t>(static_cast<const char*>(newline) - data) + 1 : size;
        if (line_.size() + take > kLongestLine) return Fail(Status::Malformed);
        line_.append(data, take);
        data += take;
        size -= take;
        if (!newline) continue;
        std::string_view line(line_);
        line.remove_suffix(1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        Status status = Line(line);
        line_.clear();
        if (status != Status::More && status != Status::Done) return Fail(status);
    }
    return state_ == State::Epilogue ? Status::Done : Status::More;
}

MultipartRangeReader::Status MultipartRangeReader::Line(std::string_view line) {
    switch (state_) {
    case State::Preamble:
        if (Trimmed(line) == boundary_) {
            state_ = State::Headers;
            lines_ = 0;
            partRange_.reset();
        } else if (++lines_ > kMostLines) {
            return Status::Malformed;
        }
        return Status::More;
    case State::Headers: {
        if (line.empty()) {
            if (!partRange_) return Status::Malformed;
            for (size_t i = 0; i < asked_.size(); ++i) {
                if (received_[i] || asked_[i].first != partRange_->first || asked_[i].last != partRange_->last)
                    continue;
                received_[i] = true;
                offset_ = partRange_->first;
                remaining_ = partRange_->last - partRange_->first + 1;
                state_ = State::Body;
                return Status::More;
            }
            return Status::NotAsked;
        }
        if (++lines_ > kMostLines) return Status::Malformed;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) return Status::Malformed;
        if (!EqualsIgnoringCase(Trimmed(line.substr(0, colon)), "Content-Range")) return Status::More;
        if (partRange_) return Status::Malformed;
        partRange_ = ParseContentRange(line.substr(colon + 1), fileSize_);
        return partRange_ ? Status::More : Status::Malformed;
    }
    case State::AfterBody:
        if (!line.empty()) return Status::Malformed;
        state_ = State::Delimiter;
        return Status::More;
    case State::Delimiter: {
        std::string_view delimiter = Trimmed(line);
        if (delimiter == boundary_) {
            state_ = State::Headers;
            lines_ = 0;
            partRange_.reset();
            return Status::More;
        }
        if (delimiter.size() != boundary_.size() + 2 || !delimiter.starts_with(boundary_) || !delimiter.ends_with("--"))
            return Status::Malformed;
        for (bool came : received_) {
            if (!came) return Status::Malformed;
        }
        state_ = State::Epilogue;
        return Status::Done;
    }
    case State::Body:
    case State::Epilogue:
        break;
    }
    return Status::Malformed;
}

MultipartRangeReader::Status MultipartRangeReader::Finish() const {
    if (failed_ != Status::More) return failed_;
    if (state_ == State::Epilogue) return Status::Done;
    // The closing delimiter may end the body without a line break.
    std::string_view last = Trimmed(line_);
    if (state_ == State::Delimiter && last.size() == boundary_.size() + 2 && last.starts_with(boundary_) &&
        last.ends_with("--")) {
        for (bool came : received_) {
            if (!came) return Status::Malformed;
        }
        return Status::Done;
    }
    return Status::Malformed;
}

}  // namespace updater
