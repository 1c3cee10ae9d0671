#include "tests/support/ReferenceCompressor.h"

#include <algorithm>

namespace nemora::test {

std::vector<std::uint8_t> ReferenceCompress(const std::vector<std::uint8_t>& page) {
    const std::size_t n = page.size();
    std::vector<std::vector<std::size_t>> seen(256);  // positions of each value, ascending
    std::vector<std::uint8_t> out;
    std::size_t pos = 0;
    while (pos < n) {
        const std::uint8_t c = page[pos];
        if (c == 0) return {};
        std::size_t best = 1;
        std::size_t bestDistance = 0;
        const auto& earlier = seen[c];
        for (auto it = earlier.rbegin(); it != earlier.rend(); ++it) {
            const std::size_t distance = pos - *it;
            if (distance > 32768) break;
            const std::size_t limit = std::min({distance, std::size_t{128}, n - pos});
            std::size_t length = 1;
            while (length < limit && page[*it + length] == page[pos + length]) ++length;
            if (length > best) {
                best = length;
                bestDistance = distance;
                if (best == 128) break;
            }
        }
        if (best < 5) best = 1;
        for (std::size_t p = pos; p < pos + best; ++p) seen[page[p]].push_back(p);
        if (best == 1) {
            out.push_back(c);
        } else {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(bestDistance));
            out.push_back(static_cast<std::uint8_t>(bestDistance >> 8));
            out.push_back(static_cast<std::uint8_t>(best));
        }
        pos += best;
    }
    while (out.size() % 8 != 0) out.push_back(0x20);
    return out;
}

}  // namespace nemora::test
