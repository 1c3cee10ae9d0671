// Property: the template expander never crashes, and writes exactly what a
// plain model of its markers writes, for any template, values and switches.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "publish/TemplateExpander.h"

namespace {

class MemoryOutput : public nemora::engine::OutputFile {
public:
    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        text.append(reinterpret_cast<const char*>(bytes), size);
        return true;
    }
    bool Commit() override { return true; }
    std::string text;
};

// The markers as a reader would explain them, one byte at a time.
std::string Model(const std::string& t, const nemora::publish::TemplateValues& v, bool comment,
                  bool active) {
    std::string out;
    bool on = true;
    for (std::size_t i = 0; i < t.size();) {
        const char c = t[i];
        const char d = i + 1 < t.size() ? t[i + 1] : '\0';
        const bool hasNext = i + 1 < t.size();
        if (c == '$' && hasNext && (d == '$' || d == '0' || d == '1')) {
            if (d == '$') {
                if (on) out += '$';
            } else if (!comment) {
                on = d == '1';
            }
            i += 2;
        } else if (c == '%' && active && on && hasNext && (d == '%' || (d >= '0' && d <= '5'))) {
            const std::string values[] = {
                v.dataFile, v.prompt,        v.cookieOn ? v.cookieKey : "",
                v.keepDays, v.askSaveCookie, v.windowName()};
            out += d == '%' ? std::string("%") : values[d - '0'];
            i += 2;
        } else {
            if (on) out += c;
            i += 1;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    nemora::publish::TemplateValues values;
    values.dataFile = "d.zvk";
    values.prompt = "p$0%1";
    values.cookieKey = "k";
    values.keepDays = "7";
    values.askSaveCookie = "true";
    values.cookieOn = (data[0] & 1) != 0;
    values.windowName = [] { return std::string("W"); };
    const bool comment = (data[0] & 2) != 0;
    const bool active = (data[0] & 4) != 0;
    const std::string templ(reinterpret_cast<const char*>(data + 1), size - 1);

    MemoryOutput out;
    const std::vector<std::uint8_t> bytes(templ.begin(), templ.end());
    using Expander = nemora::publish::TemplateExpander;
    if (!Expander::Expand(
            bytes, values, comment ? Expander::Comments::Keep : Expander::Comments::Drop,
            active ? Expander::ValueMarkers::Active : Expander::ValueMarkers::Inactive, out)) {
        std::abort();
    }
    if (out.text != Model(templ, values, comment, active)) std::abort();
    return 0;
}
