#include "engine/LockedDocument.h"

#include <cassert>
#include <cstring>
#include <new>

#include "engine/PageCipher.h"
#include "engine/SecretString.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

constexpr std::uint32_t kUnitsToLoad = 5;            // per KiB: 1 reading + 4 compressing
constexpr std::uint32_t kUnitsToEncipher = 5;        // 4 enciphering + 1 writing
constexpr std::uint32_t kUnitsToChangePassword = 9;  // 4 deciphering + 4 enciphering + 1 writing
constexpr std::uint32_t kUnitsToWrite = 1;           // writing only

std::uint32_t KiB(std::uint64_t bytes) {
    return static_cast<std::uint32_t>(bytes / 1024);
}

}  // namespace

LockedDocument::LockedDocument(FileLayer& files) : files_(files) {}

LockedDocument::~LockedDocument() {
    WipeBytes(key_.data(), key_.size());
}

Result LockedDocument::Load(ProgressSink* sink, const std::string& path) {
    // The page loaded before stays whole, and usable, until the buffer is
    // replaced: the window keeps it after a file that cannot be opened.
    const std::unique_ptr<InputFile> file = files_.OpenForReading(path);
    if (!file) return Result::CannotOpen;
    const std::optional<std::uint64_t> length = file->Length();
    if (!length) return Result::ReadFailed;
    if (*length == 0) return Result::CannotOpen;
    // A page of 4 GiB or more cannot be stated in the header: refuse it
    // rather than write a wrong length.
    if (*length > StreamFormat::kMaxPageLength) return Result::ReadFailed;

    if (!ReportTo(sink, KiB(*length) * kUnitsToLoad, StringId(TextId::Loading))) {
        return Result::LoadStopped;
    }
    state_ = DocumentState::Unusable;
    const Result result = stream_.Load(sink, *file, *length);
    if (result == Result::Ok) state_ = DocumentState::Loaded;
    return result;
}

std::span<const std::uint8_t> LockedDocument::Page() const {
    if (state_ != DocumentState::Loaded) return {};
    return {stream_.Bytes() + StreamFormat::kHeaderSize, stream_.PageSize()};
}

Result LockedDocument::Compress(ProgressSink* sink, const CompressorOptions& options) {
    if (state_ != DocumentState::Loaded) return Result::CompressFailed;
    const Result result = stream_.Compress(sink, options);
    state_ = result == Result::Ok ? DocumentState::Compressed : DocumentState::Unusable;
    return result;
}

Result LockedDocument::Encrypt(ProgressSink* sink, std::optional<std::string_view> password,
                               bool passwordChanged) {
    assert(state_ == DocumentState::Compressed || state_ == DocumentState::Enciphered);
    const std::uint32_t kib = KiB(stream_.StreamSize());
    const bool enciphered = stream_.IsEnciphered();

    // The key tells what the flag may not: a stream enciphered under another
    // key than the password's must be enciphered again, or the name block and
    // the stream would end up under different keys.
    if (enciphered && password && DeriveKey(*password) != key_) passwordChanged = true;

    if (enciphered && passwordChanged) {
        if (!ReportTo(sink, kib * kUnitsToChangePassword, StringId(TextId::Encrypting))) {
            return Result::EncryptStopped;
        }
        const Result deciphered = Decrypt(sink, std::nullopt);
        if (deciphered != Result::Ok) return deciphered;
        if (password) key_ = DeriveKey(*password);
        return EncipherStream(sink);
    }

    if (password) key_ = DeriveKey(*password);
    if (enciphered) {
        // Enciphered at an earlier save under this key: only the writing follows.
        return ReportTo(sink, kib * kUnitsToWrite, StringId(TextId::Encrypting))
                   ? Result::Ok
                   : Result::EncryptStopped;
    }
    if (!ReportTo(sink, kib * kUnitsToEncipher, StringId(TextId::Encrypting))) {
        return Result::EncryptStopped;
    }
    return EncipherStream(sink);
}

Result LockedDocument::EncipherStream(ProgressSink* sink) {
    const Result result = PageCipher(key_).Encipher(stream_.Bytes(), stream_.StreamSize(), sink);
    state_ = DocumentState::Enciphered;  // a stopped pass still finished the buffer
    return result;
}

Result LockedDocument::Decrypt(ProgressSink* sink, std::optional<std::string_view> password) {
    if (password) key_ = DeriveKey(*password);
    const Result result = PageCipher(key_).Decipher(stream_.Bytes(), stream_.StreamSize(), sink);
    state_ = DocumentState::Compressed;  // a stopped pass still finished the buffer
    return result;
}

Result LockedDocument::WriteDataFile(ProgressSink* sink, const std::string& path) {
    const std::unique_ptr<OutputFile> file = files_.CreateReplacing(path);
    if (!file) return Result::CannotCreate;
    // From here on, returning early discards the new file.
    if (!ReportTo(sink, 0, StringId(TextId::Writing))) return Result::EncryptStopped;
    if (Result r = stream_.WriteHeader(*file); r != Result::Ok) return r;
    // The name block stays plain in memory and goes out under the stream's key.
    const Key* key = state_ == DocumentState::Enciphered ? &key_ : nullptr;
    if (Result r = charCode_.Write(*file, key); r != Result::Ok) return r;
    if (Result r = stream_.WriteBody(sink, *file); r != Result::Ok) return r;
    return file->Commit() ? Result::Ok : Result::CannotCreate;
}

Result LockedDocument::PlainStream(std::vector<std::uint8_t>& out) const {
    out.clear();
    if (state_ != DocumentState::Compressed && state_ != DocumentState::Enciphered) {
        return Result::CompressFailed;
    }
    const std::size_t header = StreamFormat::kHeaderSize;
    const std::size_t name = charCode_.Count();
    const std::size_t body = stream_.StreamSize() - header;
    try {
        out.resize(header + name + body);
    } catch (const std::bad_alloc&) {
        out = {};
        return Result::CompressFailed;
    }
    std::uint8_t* const to = out.data();
    std::memcpy(to, stream_.Bytes(), header);
    if (name != 0) std::memcpy(to + header, charCode_.Bytes(), name);
    std::memcpy(to + header + name, stream_.Bytes() + header, body);
    if (state_ == DocumentState::Enciphered) {
        // Every block is enciphered on its own, so header and body decipher
        // apart, around the name block, which is plain in memory.
        const PageCipher cipher(key_);
        (void)cipher.Decipher(to, header, nullptr);
        (void)cipher.Decipher(to + header + name, body, nullptr);
    }
    return Result::Ok;
}

void LockedDocument::SetCharCodeName(std::string_view name) {
    charCode_.SetName(name);
}

}  // namespace nemora::engine
