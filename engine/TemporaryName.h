#pragma once

#include <filesystem>

namespace nemora::engine {

// The one rule for the name a file is written under before it takes its
// place: beside the target, hidden, "." + the target's name + "." + six
// random letters or digits + ".tmp". A writer makes the file exclusively and
// tries another name while one is taken, so two writers never share one.
class TemporaryName {
public:
    // How many names a writer tries before it gives up.
    static constexpr int kAttempts = 100;

    // A fresh name beside `target`.
    static std::filesystem::path Beside(const std::filesystem::path& target);
};

}  // namespace nemora::engine
