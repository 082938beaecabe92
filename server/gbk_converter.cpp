#include "server/gbk_converter.h"

#include <cerrno>

namespace server {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

bool Convert(iconv_t descriptor, std::string_view in, std::string& out, size_t growth) {
    out.clear();
    if (descriptor == kNoDescriptor) return false;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    if (in.empty()) return true;
    out.resize(in.size() * growth + 8);
    char* inPointer = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    size_t written = 0;
    while (inLeft > 0) {
        char* outPointer = out.data() + written;
        size_t outLeft = out.size() - written;
        size_t result = iconv(descriptor, &inPointer, &inLeft, &outPointer, &outLeft);
        written = out.size() - outLeft;
        if (result != static_cast<size_t>(-1)) break;
        if (errno != E2BIG) return false;  // EILSEQ or a truncated last character
        out.resize(out.size() * 2);
    }
    // Flush any shift state; GBK and UTF-8 have none, so this never grows the output.
    char* outPointer = out.data() + written;
    size_t outLeft = out.size() - written;
    if (iconv(descriptor, nullptr, nullptr, &outPointer, &outLeft) == static_cast<size_t>(-1)) return false;
    out.resize(out.size() - outLeft);
    return true;
}

}  // namespace

GbkConverter::GbkConverter()
    : toUtf8_(iconv_open("UTF-8", "GBK")), toGbk_(iconv_open("GBK", "UTF-8")) {}

GbkConverter::~GbkConverter() {
    if (toUtf8_ != kNoDescriptor) iconv_close(toUtf8_);
    if (toGbk_ != kNoDescriptor) iconv_close(toGbk_);
}

bool GbkConverter::ToUtf8(std::string_view gbk, std::string& out) {
    // One GBK byte (0x80) can become three UTF-8 bytes.
    return Convert(toUtf8_, gbk, out, 3);
}

bool GbkConverter::ToGbk(std::string_view utf8, std::string& out) {
    return Convert(toGbk_, utf8, out, 1);
}

}  // namespace server
