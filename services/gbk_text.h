// Double-byte aware operations on GBK texts, shared by the text commands and
// usable directly from C++. Positions are 1-based byte positions as the
// commands report them; -1 means not found.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace services {

enum class SearchDirection { Forward, Reverse };

// The search behind FindText and FindTextReverse. Without a start position the
// forward search starts at the beginning and the reverse one at the end.
int FindInText(std::string_view text, std::string_view sought, std::optional<int> startPosition, bool ignoreCase,
               SearchDirection direction);

// Compares `length` bytes ignoring the case of ASCII letters; a double-byte
// character is compared whole, so its trail byte is never case-folded.
bool EqualIgnoringCase(const char* left, const char* right, size_t length);

// Negative, zero or positive; only ASCII letters fold when ignoreCase is set.
int CompareTexts(std::string_view left, std::string_view right, bool ignoreCase);

// maximumCount < 0: unlimited. A trailing separator leaves no empty last part.
std::vector<std::string> SplitIntoParts(std::string_view text, std::string_view separator, int maximumCount);

// Full-width ASCII (and the ideographic space, tilde and asterisks) to ASCII.
std::string ToHalfWidth(std::string_view text);

}  // namespace services
