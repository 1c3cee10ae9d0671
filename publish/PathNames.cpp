#include "publish/PathNames.h"

namespace nemora::publish {

std::string LastComponent(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace nemora::publish
