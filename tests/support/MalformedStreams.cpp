#include "tests/support/MalformedStreams.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/StreamFormat.h"

namespace nemora::test {
namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

// The field's text with each \xHH made one byte.
std::string Unescape(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::vector<std::uint8_t> Stream(const std::string& magic, std::uint32_t length,
                                 const std::string& name, const std::string& body) {
    std::vector<std::uint8_t> stream(magic.begin(), magic.end());
    for (int i = 0; i < 4; ++i) stream.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    std::vector<std::uint8_t> block(engine::StreamFormat::CharCodeBlockLength(name.size()), 0);
    std::copy_n(name.begin(), std::min(name.size(), block.size()), block.begin());
    stream.insert(stream.end(), block.begin(), block.end());
    stream.insert(stream.end(), body.begin(), body.end());
    return stream;
}

}  // namespace

std::vector<MalformedStream> MalformedStreams() {
    std::vector<MalformedStream> rows;
    std::ifstream file(NEMORA_MALFORMED_STREAMS);
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = Fields(line);
        if (f.size() != 9) return {};
        MalformedStream row{f[0],
                            Stream(f[1], static_cast<std::uint32_t>(std::stoul(f[2])),
                                   Unescape(f[3]), Unescape(f[4])),
                            std::stoi(f[6]), f[7], f[8]};
        if (f[5] != "-") row.stream.resize(std::stoul(f[5]));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace nemora::test
