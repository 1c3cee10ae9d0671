#include "publish/ResourceSource.h"

#include <new>

namespace nemora::publish {
namespace {

class EmbeddedSource : public ResourceSource {
public:
    engine::Result Load(res::ResourceType type, std::uint32_t id,
                        std::vector<std::uint8_t>& bytes) override {
        const auto found = res::EmbeddedResource::Find(type, id);
        if (!found) return engine::Result::NoResource;
        if (found->empty()) return engine::Result::BrokenResource;
        try {
            bytes.assign(found->begin(), found->end());
        } catch (const std::bad_alloc&) {
            return engine::Result::BrokenResource;
        }
        return engine::Result::Ok;
    }
};

}  // namespace

ResourceSource& ResourceSource::Embedded() {
    static EmbeddedSource source;
    return source;
}

}  // namespace nemora::publish
