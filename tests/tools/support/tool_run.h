// Running the form tools from tests, in scratch directories.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools::testing {

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program with the arguments (each quoted for the shell).
ToolResult RunTool(const std::string& program, const std::vector<std::string>& arguments);

// A new empty directory, removed when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

}  // namespace tools::testing
