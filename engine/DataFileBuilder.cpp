#include "engine/DataFileBuilder.h"

#include "engine/CharCodeBlock.h"
#include "engine/LockBuffer.h"
#include "engine/PageCipher.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {

BuiltDataFile BuildDataFile(const std::uint8_t* page, std::size_t length,
                            std::string_view encodingName, const Key* key, ProgressSink* sink) {
    BuiltDataFile locked;
    LockBuffer stream;
    locked.result = stream.AssignPage(page, length);
    if (locked.result == Result::Ok) locked.result = stream.Compress(sink);
    if (locked.result != Result::Ok) return locked;

    CharCodeBlock name;
    name.SetName(encodingName);
    if (key != nullptr) {
        // Two separate passes give the bytes of one pass over the file: every
        // block is enciphered on its own.
        const PageCipher cipher(*key);
        (void)cipher.Encipher(stream.Bytes(), stream.StreamSize(), nullptr);
        (void)cipher.Encipher(name.Bytes(), name.Count(), nullptr);
    }

    const std::uint8_t* header = stream.Bytes();
    const std::uint8_t* body = header + StreamFormat::kHeaderSize;
    locked.data.reserve(stream.StreamSize() + name.Count());
    locked.data.insert(locked.data.end(), header, body);
    locked.data.insert(locked.data.end(), name.Bytes(), name.Bytes() + name.Count());
    locked.data.insert(locked.data.end(), body, header + stream.StreamSize());
    return locked;
}

}  // namespace nemora::engine
