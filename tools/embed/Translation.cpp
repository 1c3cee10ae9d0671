#include "tools/embed/Translation.h"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace nemora::embed {
namespace {

struct Pair {
    int line = 0;  // where its source text starts
    std::string source;
    std::string target;
    bool hasTarget = false;
};

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

void Append(std::string& text, bool first, const std::string& line) {
    if (!first) text += '\n';
    text += line;
}

std::vector<Pair> ReadPairs(const std::string& pairs, const std::string& name) {
    std::vector<Pair> read;
    std::istringstream lines(pairs);
    std::string line;
    int number = 0;
    bool inPair = false;
    const auto fail = [&](const std::string& why) {
        throw std::runtime_error(name + ":" + std::to_string(number) + ": " + why);
    };
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty() || line[0] == '#') {
            if (inPair && !read.back().hasTarget) fail("a source text without its translation");
            inPair = false;
            continue;
        }
        const char kind = line[0];
        if ((kind != '-' && kind != '+') || (line.size() > 1 && line[1] != ' ')) {
            fail("a line must start with \"- \", \"+ \", \"#\" or be blank");
        }
        const std::string text = line.size() > 1 ? line.substr(2) : std::string();
        if (kind == '-') {
            if (!inPair || read.back().hasTarget) {
                read.push_back({number, {}, {}, false});
                inPair = true;
                read.back().source = text;
            } else {
                Append(read.back().source, false, text);
            }
        } else {
            if (!inPair) fail("a translation without its source text");
            Append(read.back().target, !read.back().hasTarget, text);
            read.back().hasTarget = true;
        }
    }
    if (inPair && !read.back().hasTarget) fail("a source text without its translation");
    return read;
}

}  // namespace

std::string Translate(const std::string& page, const std::string& pairs,
                      const std::string& pairsName) {
    std::string text = page;
    for (const Pair& pair : ReadPairs(pairs, pairsName)) {
        const std::string where = pairsName + ":" + std::to_string(pair.line) + ": ";
        if (pair.source.empty()) throw std::runtime_error(where + "an empty source text");
        const std::size_t count = Occurrences(text, pair.source);
        if (count != 1) {
            throw std::runtime_error(where + "the source text stands " + std::to_string(count) +
                                     " times in the page, not once");
        }
        text.replace(text.find(pair.source), pair.source.size(), pair.target);
    }
    return text;
}

}  // namespace nemora::embed
