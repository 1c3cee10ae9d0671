#include "tests/support/TestPages.h"

#include <random>

namespace nemora::test {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> RandomText(std::size_t length, std::string_view alphabet,
                                     std::uint32_t start) {
    std::mt19937 random(start);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::vector<std::uint8_t> page(length);
    for (auto& b : page) b = static_cast<std::uint8_t>(alphabet[pick(random)]);
    return page;
}

std::vector<std::uint8_t> RandomBytes(std::size_t length, std::uint32_t start) {
    std::mt19937 random(start);
    std::uniform_int_distribution<int> pick(1, 255);
    std::vector<std::uint8_t> page(length);
    for (auto& b : page) b = static_cast<std::uint8_t>(pick(random));
    return page;
}

std::vector<std::uint8_t> Runs(std::size_t length, std::uint32_t start) {
    std::mt19937 random(start);
    std::uniform_int_distribution<int> value(1, 4);
    std::uniform_int_distribution<std::size_t> run(1, 300);
    std::vector<std::uint8_t> page;
    page.reserve(length);
    while (page.size() < length) {
        const auto b = static_cast<std::uint8_t>('a' + value(random));
        for (std::size_t n = run(random); n > 0 && page.size() < length; --n) page.push_back(b);
    }
    return page;
}

std::vector<std::uint8_t> HtmlPage(std::size_t length, std::uint32_t start) {
    // Shift_JIS for a handful of common words: 日本, 文書, 暗号, 保存, の, を.
    static const char* const kWords[] = {
        "\x93\xfa\x96\x7b",
        "\x95\xb6\x8f\x91",
        "\x88\xc3\x8d\x86",
        "\x95\xdb\x91\xb6",
        "\x82\xcc",
        "\x82\xf0",
        "page",
        "table",
        "data",
        "Nemora",
        "2026",
        "web",
    };
    static const char* const kTags[] = {
        "<p>",
        "</p>\r\n",
        "<div class=\"entry\">",
        "</div>\r\n",
        "<a href=\"index.html\">",
        "</a>",
        "<b>",
        "</b>",
        "<li>",
        "</li>\r\n",
        "<td align=\"right\">",
        "</td>",
    };
    std::mt19937 random(start);
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::uniform_int_distribution<std::size_t> tag(0, std::size(kTags) - 1);
    std::uniform_int_distribution<int> number(0, 99999);
    std::uniform_int_distribution<int> choice(0, 9);

    std::string page =
        "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=Shift_JIS\">\r\n<title>Nemora</title>\r\n</head>\r\n<body>\r\n";
    while (page.size() < length) {
        const int c = choice(random);
        if (c < 5) {
            page += kWords[word(random)];
        } else if (c < 8) {
            page += kTags[tag(random)];
        } else if (c < 9) {
            page += std::to_string(number(random));
        } else {
            page += ' ';
        }
    }
    page.resize(length);
    return Bytes(page);
}

}  // namespace nemora::test
