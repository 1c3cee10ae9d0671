#pragma once

#include <clocale>
#include <string>

namespace nemora::test {

// Sets the process's numeric locale to one whose decimal point is a comma
// (de_DE.UTF-8, which the test command generates) for the object's
// lifetime, as a user's environment does for the window program. Ok() says
// whether it took: a test that needs it must fail, not pass unchecked.
class CommaLocale {
public:
    CommaLocale() : before_(std::setlocale(LC_NUMERIC, nullptr)) {
        ok_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr &&
              std::localeconv()->decimal_point == std::string(",");
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, before_.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool Ok() const { return ok_; }

private:
    std::string before_;
    bool ok_ = false;
};

}  // namespace nemora::test
