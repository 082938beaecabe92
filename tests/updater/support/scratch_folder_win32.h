// A game folder of its own for each test, in the temporary folder, with every
// file it holds readable as a map (relative GBK path -> bytes).
#pragma once

#include <map>
#include <string>

namespace updater::testing {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // GBK path relative to the folder, either separator; folders are made as needed.
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Every file, with `skip` (a top-level name) left out.
    std::map<std::string, std::string> Files(const std::string& skip = std::string()) const;

private:
    std::wstring path_;
};

}  // namespace updater::testing
