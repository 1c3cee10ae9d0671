#include "publish/TemplateExpander.h"

#include <string>

namespace nemora::publish {
namespace {

class Expansion {
public:
    Expansion(std::span<const std::uint8_t> templ, const TemplateValues& values, bool comment,
              bool valuesActive, engine::OutputFile& out)
        : t_(templ), values_(values), comment_(comment), valuesActive_(valuesActive), out_(out) {}

    bool Run() {
        const std::size_t n = t_.size();
        while (i_ < n && ok_) {
            const std::uint8_t c = t_[i_];
            const int d = i_ + 1 < n ? t_[i_ + 1] : -1;
            if (c == '$') {
                Dollar(d);
            } else if (c == '%' && valuesActive_ && on_) {
                Percent(d);
            } else {
                ++i_;
            }
        }
        if (on_) Flush(n);
        return ok_;
    }

private:
    void Dollar(int d) {
        if (on_) Flush(i_);
        switch (d) {
            case '$':  // "$$": the second one starts the next run
                s_ = i_ + 1;
                i_ += 2;
                return;
            case '0':
                if (!comment_) on_ = false;
                s_ = i_ += 2;
                return;
            case '1':
                if (!comment_) on_ = true;
                s_ = i_ += 2;
                return;
            default:  // an ordinary "$"; the next byte is looked at again
                s_ = i_;
                i_ += 1;
                return;
        }
    }

    void Percent(int d) {
        Flush(i_);
        if (d == '%') {
            s_ = i_ + 1;
            i_ += 2;
        } else if (d >= '0' && d <= '5') {
            Value(d - '0');
            s_ = i_ += 2;
        } else {
            s_ = i_;
            i_ += 1;
        }
    }

    void Value(int number) {
        switch (number) {
            case 0:
                Write(values_.dataFile);
                break;
            case 1:
                Write(values_.prompt);
                break;
            case 2:
                if (values_.cookieOn) Write(values_.cookieKey);
                break;
            case 3:
                Write(values_.keepDays);
                break;
            case 4:
                Write(values_.askSaveCookie);
                break;
            default:
                Write(values_.windowName ? values_.windowName() : std::string());
                break;
        }
    }

    // Writes the pending run, template bytes s_ up to `end`.
    // After a failed write nothing more is written.
    void Flush(std::size_t end) {
        if (ok_ && end > s_ && !out_.Write(t_.data() + s_, end - s_)) ok_ = false;
    }

    void Write(const std::string& value) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data());
        if (ok_ && !value.empty() && !out_.Write(bytes, value.size())) ok_ = false;
    }

    std::span<const std::uint8_t> t_;
    const TemplateValues& values_;
    const bool comment_;
    const bool valuesActive_;
    engine::OutputFile& out_;
    std::size_t i_ = 0;  // scan position
    std::size_t s_ = 0;  // start of the pending run
    bool on_ = true;     // output switch
    bool ok_ = true;
};

}  // namespace

bool TemplateExpander::Expand(std::span<const std::uint8_t> templ, const TemplateValues& values,
                              Comments comments, ValueMarkers markers, engine::OutputFile& out) {
    return Expansion(templ, values, comments == Comments::Keep, markers == ValueMarkers::Active,
                     out)
        .Run();
}

}  // namespace nemora::publish
