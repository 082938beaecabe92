// GBK ↔ UTF-8 on the host (through iconv): the wire's and the templates'
// bytes against the UTF-8 of sources, stores and logs. Strict both ways.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// Holds two iconv descriptors, so one converter serves one thread at a time.
class GbkConverter {
public:
    GbkConverter();
    ~GbkConverter();
    GbkConverter(const GbkConverter&) = delete;
    GbkConverter& operator=(const GbkConverter&) = delete;

    // False for bytes that are not a whole GBK text (a lone lead byte at the
    // end included); *failedAt then holds the offset of the first bad byte
    // and `out` what converted before it.
    bool ToUtf8(std::string_view gbk, std::string& out, size_t* failedAt = nullptr);
    // False for text that is not UTF-8 or holds a character GBK lacks.
    bool ToGbk(std::string_view utf8, std::string& out, size_t* failedAt = nullptr);

private:
    iconv_t toUtf8_;
    iconv_t toGbk_;
};

}  // namespace common
