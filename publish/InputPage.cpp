#include "publish/InputPage.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <vector>

#include "engine/posix/FileHead.h"

namespace nemora::publish {
namespace {

using namespace std::string_view_literals;
using Kind = InputPage::Kind;

// Where a binary format puts its signature, in one or two pieces.
struct Signature {
    std::string_view bytes;
    std::size_t offset = 0;
    std::string_view more = {};  // a second piece, when the first is short
    std::size_t moreOffset = 0;
};

// Formats that authors keep beside their pages and could pick by mistake;
// no text page begins so.
constexpr std::array kBinarySignatures = {
    Signature{"\x89PNG\r\n\x1a\n"sv},
    Signature{"GIF87a"sv},
    Signature{"GIF89a"sv},
    Signature{"\xff\xd8\xff"sv},            // JPEG
    Signature{"RIFF"sv},                    // WebP, WAV, AVI
    Signature{"BM"sv, 0, "\0\0\0\0"sv, 6},  // bitmap: its reserved field
    Signature{"\0\0\1\0"sv},                // icon
    Signature{"II*\0"sv},                   // TIFF
    Signature{"MM\0*"sv},                   // TIFF
    Signature{"\0\0"sv, 0, "ftyp"sv, 4},    // MP4, HEIC, AVIF: a short first box
    Signature{"%PDF-"sv},                   // PDF
    Signature{"PK\3\4"sv},                  // ZIP, JAR, office documents
    Signature{"PK\5\6"sv},                  // an empty ZIP
    Signature{"\x1f\x8b"sv},                // gzip
    Signature{"BZh"sv, 0, "1AY&SY"sv, 4},   // bzip2
    Signature{"\xfd\x37zXZ\0"sv},           // xz
    Signature{"7z\xbc\xaf\x27\x1c"sv},      // 7-Zip
    Signature{"\x28\xb5\x2f\xfd"sv},        // zstd
    Signature{"\x7f\x45LF"sv},              // a program
    Signature{"\xca\xfe\xba\xbe"sv},        // a Java class
    Signature{"\0asm"sv},                   // WebAssembly
    Signature{"SQLite format 3\0"sv},       // a database
    Signature{"ID3"sv, 0, "\0"sv, 4},       // MP3: its tag's revision
    Signature{"OggS\0"sv},                  // Ogg
    Signature{"wOFF"sv},                    // web fonts
    Signature{"wOF2"sv},                    // web fonts
};

bool HasAt(std::string_view text, std::size_t offset, std::string_view piece) {
    return text.size() >= offset + piece.size() && text.substr(offset, piece.size()) == piece;
}

bool Matches(std::string_view head, const Signature& signature) {
    return HasAt(head, signature.offset, signature.bytes) &&
           (signature.more.empty() || HasAt(head, signature.moreOffset, signature.more));
}

bool HoldsAll(std::string_view text, std::initializer_list<std::string_view> markers) {
    for (const std::string_view marker : markers) {
        if (text.find(marker) == std::string_view::npos) return false;
    }
    return true;
}

// The program's own files, by statements of their code that no comment
// option or translation changes.
Kind OwnKind(std::string_view head) {
    if (HoldsAll(head, {R"(<script id="nemora-options")", R"(<script id="nemora-data")"})) {
        return Kind::StrongPage;
    }
    if (head.starts_with("/*! NemoraCrypto") ||
        head.find("'Nemora strong cipher key v1'") != std::string_view::npos) {
        return Kind::StrongScript;
    }
    if (HoldsAll(head, {R"(var urlDecoder = ")", R"(var urlSource = ")", "wndDecoder"})) {
        return Kind::LoaderPage;
    }
    if (HoldsAll(head, {"var bScriptDecoderLoading", "appDecoder = FindDecoder()"})) {
        return Kind::DecoderPage;
    }
    return Kind::Page;
}

// The text of `var name = "...";`, or nothing.
std::optional<std::string_view> StringVariable(std::string_view text, std::string_view name) {
    const std::string statement = "var " + std::string(name) + " = \"";
    const std::size_t start = text.find(statement);
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t from = start + statement.size();
    const std::size_t end = text.find('"', from);
    if (end == std::string_view::npos) return std::nullopt;
    return text.substr(from, end - from);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// %XX escapes undone; a '%' that starts none stays.
std::string UrlUnescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

InputPage::Problem ProblemOf(int error) {
    using Problem = InputPage::Problem;
    switch (error) {
        case ENOENT:
            return Problem::Missing;
        case EACCES:
        case EPERM:
            return Problem::NoPermission;
        case EISDIR:
            return Problem::Folder;
        default:
            return Problem::Other;
    }
}

}  // namespace

InputPage::Kind InputPage::Classify(std::span<const std::uint8_t> head) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    for (const Signature& signature : kBinarySignatures) {
        if (Matches(text, signature)) return Kind::NotText;
    }
    return OwnKind(text);
}

InputPage::Inspection InputPage::Inspect(const std::string& path) {
    using engine::posix::FileStatus;
    const engine::posix::FileHead head = engine::posix::FileHead::Read(path, kInspectedBytes);
    if (head.openError != 0) return {ProblemOf(head.openError), head.openError};
    if (head.error != 0) return {Problem::Other, head.error};
    if (head.type == FileStatus::Type::Folder) return {Problem::Folder};
    if (head.type != FileStatus::Type::File) return {Problem::NotAFile};
    if (head.size == 0) return {Problem::Empty};
    return {Problem::None, 0, Classify(head.bytes)};
}

engine::Result InputPage::Refusal(Kind kind) {
    switch (kind) {
        case Kind::NotText:
            return engine::Result::NotTextPage;
        case Kind::LoaderPage:
            return engine::Result::IsLoaderPage;
        case Kind::DecoderPage:
            return engine::Result::IsDecoderPage;
        case Kind::StrongPage:
            return engine::Result::IsStrongPage;
        case Kind::StrongScript:
            return engine::Result::IsStrongScript;
        case Kind::Page:
            break;
    }
    return engine::Result::Ok;
}

std::optional<std::string> InputPage::LoaderDataFile(std::span<const std::uint8_t> page) {
    const std::string_view text(reinterpret_cast<const char*>(page.data()), page.size());
    const std::optional<std::string_view> source = StringVariable(text, "urlSource");
    if (!source || source->empty()) return std::nullopt;
    // A full address or an absolute path is not relative to the decoder.
    if (source->find(':') != std::string_view::npos || source->starts_with('/')) {
        return UrlUnescape(*source);
    }
    std::string_view decoderFolder;
    if (const std::optional<std::string_view> decoder = StringVariable(text, "urlDecoder")) {
        if (const std::size_t slash = decoder->rfind('/'); slash != std::string_view::npos) {
            decoderFolder = decoder->substr(0, slash + 1);
        }
    }
    return UrlUnescape(std::string(decoderFolder) + std::string(*source));
}

}  // namespace nemora::publish
