#include "publish/SitePathGlob.h"

namespace nemora::publish {
namespace {

// Matches the set that starts at glob[at] ('[') against `c`; where the set
// ends (past its ']') goes to `end`. A '[' with no ']' is a plain '['.
bool InSet(std::string_view glob, std::size_t at, char c, std::size_t& end) {
    std::size_t i = at + 1;
    const bool negated = i < glob.size() && (glob[i] == '!' || glob[i] == '^');
    if (negated) ++i;
    bool found = false;
    bool first = true;
    for (; i < glob.size() && (first || glob[i] != ']'); first = false) {
        char low = glob[i];
        if (low == '\\' && i + 1 < glob.size()) low = glob[++i];
        char high = low;
        if (i + 2 < glob.size() && glob[i + 1] == '-' && glob[i + 2] != ']') {
            high = glob[i + 2];
            i += 2;
        }
        if (low <= c && c <= high) found = true;
        ++i;
    }
    if (i >= glob.size()) {  // unclosed: a plain '['
        end = at + 1;
        return c == '[';
    }
    end = i + 1;
    return found != negated;
}

bool Match(std::string_view glob, std::string_view path) {
    std::size_t g = 0;
    std::size_t p = 0;
    while (g < glob.size()) {
        const char c = glob[g];
        if (c == '*') {
            const bool crosses = g + 1 < glob.size() && glob[g + 1] == '*';
            std::size_t rest = g + (crosses ? 2 : 1);
            // "**/" may stand for no folder at all.
            if (crosses && rest < glob.size() && glob[rest] == '/' &&
                Match(glob.substr(rest + 1), path.substr(p))) {
                return true;
            }
            for (std::size_t q = p;; ++q) {
                if (Match(glob.substr(rest), path.substr(q))) return true;
                if (q == path.size() || (!crosses && path[q] == '/')) return false;
            }
        }
        if (p == path.size()) return false;
        if (c == '?') {
            if (path[p] == '/') return false;
            ++g;
        } else if (c == '[') {
            std::size_t end = 0;
            if (path[p] == '/' || !InSet(glob, g, path[p], end)) return false;
            g = end;
        } else {
            const char literal = c == '\\' && g + 1 < glob.size() ? glob[++g] : c;
            if (literal != path[p]) return false;
            ++g;
        }
        ++p;
    }
    return p == path.size();
}

}  // namespace

bool SitePathGlob::Matches(std::string_view glob, std::string_view path) {
    return Match(glob, path);
}

}  // namespace nemora::publish
