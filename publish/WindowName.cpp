#include "publish/WindowName.h"

#include "engine/TextId.h"
#include "res/StringTable.h"

namespace nemora::publish {
namespace {

char Letter(unsigned digit) {
    return static_cast<char>(digit < 26 ? 'A' + digit : 'a' + (digit - 26));
}

}  // namespace

std::string WindowNameOf(const Identifier& id) {
    std::string name;
    for (std::size_t i = 0; i < id.size(); i += 2) {
        unsigned word = id[i] | (static_cast<unsigned>(id[i + 1]) << 8);
        for (int digit = 0; digit < 3; ++digit) {
            name += Letter(word % 52);
            word /= 52;
        }
    }
    return name;
}

std::string MakeWindowName(IdentifierSource& source) {
    const std::optional<Identifier> id = source.NewIdentifier();
    return id ? WindowNameOf(*id) : res::StringTable::Get(engine::TextId::FallbackWindowName);
}

}  // namespace nemora::publish
