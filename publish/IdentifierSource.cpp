#include "publish/IdentifierSource.h"

#include <algorithm>
#include <uuid/uuid.h>

namespace nemora::publish {
namespace {

class SystemIdentifierSource : public IdentifierSource {
public:
    std::optional<Identifier> NewIdentifier() override {
        uuid_t uuid;
        uuid_generate_random(uuid);
        // libuuid keeps the fields big-endian; the identifier structure holds
        // its first three fields little-endian.
        Identifier id;
        std::copy(std::begin(uuid), std::end(uuid), id.begin());
        std::reverse(id.begin(), id.begin() + 4);
        std::reverse(id.begin() + 4, id.begin() + 6);
        std::reverse(id.begin() + 6, id.begin() + 8);
        return id;
    }
};

}  // namespace

IdentifierSource& IdentifierSource::System() {
    static SystemIdentifierSource source;
    return source;
}

}  // namespace nemora::publish
