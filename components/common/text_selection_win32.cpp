#include "components/common/text_selection_win32.h"

#include <windows.h>

#include <algorithm>

#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

int GbkLength(wchar_t c) {
    if (c < 0x80) return 1;
    int length = WideCharToMultiByte(rt::kGbkCodePage, 0, &c, 1, nullptr, 0, nullptr, nullptr);
    return length > 0 ? length : 1;
}

int ByteOffsetOf(std::wstring_view text, int charIndex) {
    int end = std::clamp(charIndex, 0, static_cast<int>(text.size()));
    int bytes = 0;
    for (int i = 0; i < end; ++i) bytes += GbkLength(text[static_cast<size_t>(i)]);
    return bytes;
}

}  // namespace

std::wstring WideWindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

ByteSelection SelectionInBytes(std::wstring_view text, int startChar, int endChar) {
    if (endChar < startChar) std::swap(startChar, endChar);
    int start = ByteOffsetOf(text, startChar);
    return {start, ByteOffsetOf(text, endChar) - start};
}

int CharIndexOfByte(std::wstring_view text, int byteOffset) {
    int bytes = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        bytes += GbkLength(text[i]);
        if (bytes > byteOffset) return static_cast<int>(i);
    }
    return static_cast<int>(text.size());
}

}  // namespace components
