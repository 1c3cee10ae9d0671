#include "publish/MediaType.h"

#include <algorithm>
#include <utility>

namespace nemora::publish {
namespace {

constexpr std::pair<std::string_view, std::string_view> kTypes[] = {
    {"7z", "application/x-7z-compressed"},
    {"avif", "image/avif"},
    {"bmp", "image/bmp"},
    {"css", "text/css"},
    {"csv", "text/csv"},
    {"epub", "application/epub+zip"},
    {"gif", "image/gif"},
    {"gz", "application/gzip"},
    {"htm", "text/html"},
    {"html", "text/html"},
    {"ico", "image/vnd.microsoft.icon"},
    {"jpeg", "image/jpeg"},
    {"jpg", "image/jpeg"},
    {"js", "text/javascript"},
    {"json", "application/json"},
    {"m4a", "audio/mp4"},
    {"map", "application/json"},
    {"md", "text/markdown"},
    {"mjs", "text/javascript"},
    {"mp3", "audio/mpeg"},
    {"mp4", "video/mp4"},
    {"oga", "audio/ogg"},
    {"ogg", "audio/ogg"},
    {"ogv", "video/ogg"},
    {"otf", "font/otf"},
    {"pdf", "application/pdf"},
    {"png", "image/png"},
    {"rss", "application/rss+xml"},
    {"svg", "image/svg+xml"},
    {"tar", "application/x-tar"},
    {"ttf", "font/ttf"},
    {"txt", "text/plain"},
    {"wasm", "application/wasm"},
    {"wav", "audio/wav"},
    {"webm", "video/webm"},
    {"webmanifest", "application/manifest+json"},
    {"webp", "image/webp"},
    {"woff", "font/woff"},
    {"woff2", "font/woff2"},
    {"xhtml", "application/xhtml+xml"},
    {"xml", "application/xml"},
    {"zip", "application/zip"},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

std::string MediaType::Of(std::string_view path, std::string_view charset) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    std::string type = "application/octet-stream";
    if (dot != std::string_view::npos && dot > 0) {
        const std::string extension = Lower(name.substr(dot + 1));
        const auto* found = std::lower_bound(
            std::begin(kTypes), std::end(kTypes), extension,
            [](const auto& entry, const std::string& key) { return entry.first < key; });
        if (found != std::end(kTypes) && found->first == extension) type = found->second;
    }
    if (!charset.empty() && type.starts_with("text/")) type += "; charset=" + Lower(charset);
    return type;
}

}  // namespace nemora::publish
