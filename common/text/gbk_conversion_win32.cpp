#include "common/text/gbk_conversion_win32.h"

#include <windows.h>

#include <climits>
#include <optional>

namespace common {
namespace {

std::optional<std::wstring> ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return std::wstring();
    if (text.size() > INT_MAX) return std::nullopt;
    const int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length) != length) return std::nullopt;
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) return std::string();
    const int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), length, nullptr, nullptr) != length)
        return std::string();
    return narrow;
}

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) { return ToWide(kGbkCodePage, gbk).value_or(std::wstring()); }
std::string GbkFromWide(std::wstring_view wide) { return FromWide(kGbkCodePage, wide); }
std::wstring WideFromUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8).value_or(std::wstring()); }
std::string Utf8FromWide(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }
std::string Utf8FromGbk(std::string_view gbk) { return Utf8FromWide(WideFromGbk(gbk)); }
std::string GbkFromUtf8(std::string_view utf8) { return GbkFromWide(WideFromUtf8(utf8)); }

}  // namespace common
