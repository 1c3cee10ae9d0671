#include "engine/SecretString.h"

namespace nemora::engine {

void WipeBytes(void* bytes, std::size_t size) {
    // Through a volatile pointer, so the stores are not dropped as dead.
    volatile auto* byte = static_cast<volatile unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) byte[i] = 0;
}

SecretString::SecretString(std::string&& text) : text_(text) {
    WipeBytes(text.data(), text.capacity());
    text.clear();
}

SecretString::SecretString(SecretString&& other) : text_(other.text_) {
    other.Wipe();
}

SecretString& SecretString::operator=(SecretString&& other) {
    if (this != &other) {
        Wipe();
        text_ = other.text_;
        other.Wipe();
    }
    return *this;
}

SecretString& SecretString::operator=(const SecretString& other) {
    if (this != &other) {
        Wipe();
        text_ = other.text_;
    }
    return *this;
}

void SecretString::Wipe() {
    // The whole capacity: an earlier, longer text may have left bytes beyond
    // the current size.
    WipeBytes(text_.data(), text_.capacity());
    text_.clear();
}

}  // namespace nemora::engine
