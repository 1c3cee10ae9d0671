#include "app/resources/ResourceText.h"

#include "res/StringTable.h"

namespace nemora::app {

QString ResourceText(std::uint32_t id) {
    return QString::fromUtf8(res::StringTable::Get(id));
}

}  // namespace nemora::app
