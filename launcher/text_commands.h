// The launcher's calls into the runtime's text and number commands: each
// builds the value records of one command and calls it through the
// library-command entry. Texts returned are the caller's.
#pragma once

#include <cstdint>

namespace launcher {

// A text or byte set the caller owns, freed on scope exit.
class Owned {
public:
    explicit Owned(void* block = nullptr) : block_(block) {}
    ~Owned();
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    const char* text() const { return block_ ? static_cast<const char*>(block_) : ""; }
    const uint8_t* bytes() const { return static_cast<const uint8_t*>(block_); }
    void* get() const { return block_; }
    void* release() { void* block = block_; block_ = nullptr; return block; }

private:
    void* block_;
};

int32_t FindText(const char* text, const char* sought);  // case-sensitive, from the start; -1 when absent
void* SplitText(const char* text, const char* separator);  // a new text array
int32_t TextLength(const char* text);
int32_t CompareText(const char* first, const char* second, bool caseSensitive);
char* ToText(int32_t value);
char* ToText(const uint8_t* byteSet);
int32_t ToInteger(const char* text);
void SetRandomSeed();
int32_t RandomNumber(int32_t minimum, int32_t maximum);

}  // namespace launcher
