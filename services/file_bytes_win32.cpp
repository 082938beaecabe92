#include "services/file_bytes.h"

#include <windows.h>

#include <memory>

#include "runtime/text_conversion_win32.h"

namespace services {

bool ReadFileBytes(const char* fileName, std::string* bytes) {
    bytes->clear();
    if (!fileName || !*fileName) return false;
    // The name is GBK whatever the system code page is.
    std::wstring wideName = rt::WideFromGbk(fileName);
    if (wideName.empty()) return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(_wfopen(wideName.c_str(), L"rb"), &std::fclose);
    return file && ReadWholeStream(file.get(), bytes);
}

}  // namespace services
