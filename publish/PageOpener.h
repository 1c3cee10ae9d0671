#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/Key.h"
#include "engine/SecretString.h"
#include "engine/StreamReader.h"
#include "engine/strong/StrongKey.h"

namespace nemora::publish {

// Opens the protected pages of a published folder with the password, as a
// visitor who has it does: a strong page from the container it carries, a
// classic loader page from the data file it names. The strong key is
// derived once for each salt and parameters met (every page of one run
// shares them), the classic key once. Safe to call from several threads.
class PageOpener {
public:
    PageOpener(std::string folder, engine::SecretString password);
    ~PageOpener();
    PageOpener(const PageOpener&) = delete;
    PageOpener& operator=(const PageOpener&) = delete;

    // The page at `relative` (from the folder's top) as it was before it
    // was locked: Ok, WrongPassword, DataCorrupt or DataTruncated (the
    // container or data file is damaged), CannotOpen (a file is missing or
    // unreadable, or the page is no protected page), KeyNotDerived.
    engine::UnlockedPage Open(const std::string& relative);

private:
    engine::UnlockedPage OpenStrong(const std::string& relative,
                                    const std::vector<std::uint8_t>& container);
    engine::UnlockedPage OpenClassic(const std::string& relative,
                                     const std::vector<std::uint8_t>& loader);

    std::string folder_;
    engine::SecretString password_;
    std::mutex keys_;  // guards what follows: a derivation is done once
    struct Derived {
        engine::strong::SaltBytes salt;
        engine::strong::KdfParameters kdf;
        std::optional<engine::strong::StrongKey> key;  // none: it could not be derived
    };
    std::vector<Derived> strong_;
    bool classicTried_ = false;
    std::optional<engine::Key> classic_;  // none: the password is not Shift_JIS
};

}  // namespace nemora::publish
