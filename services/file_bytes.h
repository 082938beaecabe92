// Whole-file reads for commands that take a file name (GBK).
#pragma once

#include <cstdio>
#include <string>

namespace services {

// False when the file cannot be opened or read.
bool ReadFileBytes(const char* fileName, std::string* bytes);

// Reads an open file to its end; false on a read error.
bool ReadWholeStream(std::FILE* file, std::string* bytes);

}  // namespace services
