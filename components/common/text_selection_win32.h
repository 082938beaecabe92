// Selections in a control's UTF-16 text, as program code counts them: in
// bytes of the text's GBK form.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace components {

struct ByteSelection {
    int start = 0;
    int length = 0;
};

// The window text of a control as UTF-16.
std::wstring WideWindowText(HWND window);

// The selection from character `startChar` to `endChar`, in GBK bytes.
ByteSelection SelectionInBytes(std::wstring_view text, int startChar, int endChar);
// The character index at a GBK byte offset; an offset inside a double-byte
// character counts that character as not reached; offsets beyond the text
// give its length.
int CharIndexOfByte(std::wstring_view text, int byteOffset);

}  // namespace components
