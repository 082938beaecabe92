// Conversion between the GBK bytes of the wire and the UTF-8 of the store and the log.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace server {

// Holds two iconv descriptors, so one converter serves one thread at a time.
class GbkConverter {
public:
    GbkConverter();
    ~GbkConverter();
    GbkConverter(const GbkConverter&) = delete;
    GbkConverter& operator=(const GbkConverter&) = delete;

    // False (and `out` unspecified) for bytes that are not a whole GBK text.
    bool ToUtf8(std::string_view gbk, std::string& out);
    // False for text that is not UTF-8 or holds a character GBK lacks.
    bool ToGbk(std::string_view utf8, std::string& out);

private:
    iconv_t toUtf8_;
    iconv_t toGbk_;
};

}  // namespace server
