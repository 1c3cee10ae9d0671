#include "publish/SiteCopier.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace nemora::publish {

using engine::Result;

Result SiteCopier::Place(const std::string& source, const std::string& target, bool link) const {
    if (link && files_.LinkReplacing(source, target)) return Result::Ok;
    return Copy(source, target);
}

Result SiteCopier::Copy(const std::string& source, const std::string& target) const {
    const std::unique_ptr<engine::InputFile> in = files_.OpenForReading(source);
    if (!in) return Result::CannotOpen;
    const std::unique_ptr<engine::OutputFile> out = files_.CreateReplacing(target);
    if (!out) return Result::CannotCreate;
    std::vector<std::uint8_t> buffer(1 << 20);
    for (;;) {
        const std::optional<std::size_t> got = in->Read(buffer.data(), buffer.size());
        if (!got) return Result::ReadFailed;
        if (*got == 0) break;
        if (!out->Write(buffer.data(), *got)) return out->Failure();
    }
    return out->Commit() ? Result::Ok : out->Failure();
}

}  // namespace nemora::publish
