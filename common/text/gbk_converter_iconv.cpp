#include "common/text/gbk_converter.h"

#include <cerrno>

namespace common {
namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

bool Convert(iconv_t descriptor, std::string_view in, std::string& out, size_t* failedAt) {
    out.clear();
    size_t ignored = 0;
    if (!failedAt) failedAt = &ignored;
    *failedAt = 0;
    if (descriptor == kNoDescriptor) return false;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    char* input = const_cast<char*>(in.data());
    size_t inputLeft = in.size();
    char buffer[512];
    while (inputLeft > 0) {
        char* output = buffer;
        size_t outputLeft = sizeof buffer;
        size_t result = iconv(descriptor, &input, &inputLeft, &output, &outputLeft);
        out.append(buffer, static_cast<size_t>(output - buffer));
        // EILSEQ, or EINVAL for a character cut off at the end.
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            *failedAt = in.size() - inputLeft;
            return false;
        }
    }
    // GBK and UTF-8 keep no shift state, but a descriptor is flushed all the same.
    char* output = buffer;
    size_t outputLeft = sizeof buffer;
    if (iconv(descriptor, nullptr, nullptr, &output, &outputLeft) == static_cast<size_t>(-1)) {
        *failedAt = in.size();
        return false;
    }
    out.append(buffer, static_cast<size_t>(output - buffer));
    return true;
}

}  // namespace

GbkConverter::GbkConverter() : toUtf8_(iconv_open("UTF-8", "GBK")), toGbk_(iconv_open("GBK", "UTF-8")) {}

GbkConverter::~GbkConverter() {
    if (toUtf8_ != kNoDescriptor) iconv_close(toUtf8_);
    if (toGbk_ != kNoDescriptor) iconv_close(toGbk_);
}

bool GbkConverter::ToUtf8(std::string_view gbk, std::string& out, size_t* failedAt) {
    return Convert(toUtf8_, gbk, out, failedAt);
}

bool GbkConverter::ToGbk(std::string_view utf8, std::string& out, size_t* failedAt) {
    return Convert(toGbk_, utf8, out, failedAt);
}

}  // namespace common
