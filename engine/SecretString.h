#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nemora::engine {

// Overwrites `size` bytes in a way the compiler may not drop as dead stores.
void WipeBytes(void* bytes, std::size_t size);

// A text that holds a secret (a password, or its code page 932 bytes). Its
// bytes are overwritten whenever it lets go of them: on destruction, on
// assignment and when it is moved from. A copy is a SecretString too, which
// wipes in turn; only what a caller copies out of Text() is its own care.
class SecretString {
public:
    SecretString() = default;
    // Takes the text over and wipes the caller's string (a plain move would
    // leave a short text's bytes in the caller's own buffer). Implicit, so
    // that a password reaches a SecretString without a copy left behind.
    SecretString(std::string&& text);                // NOLINT
    SecretString(const char* text) : text_(text) {}  // NOLINT
    explicit SecretString(std::string_view text) : text_(text) {}
    ~SecretString() { Wipe(); }

    SecretString(SecretString&& other);
    SecretString& operator=(SecretString&& other);
    SecretString(const SecretString& other) : text_(other.text_) {}
    SecretString& operator=(const SecretString& other);

    std::string_view View() const { return text_; }
    const std::string& Text() const { return text_; }
    bool empty() const { return text_.empty(); }
    bool operator==(std::string_view other) const { return View() == other; }

    // Overwrites the text and leaves it empty.
    void Wipe();

private:
    std::string text_;
};

}  // namespace nemora::engine
