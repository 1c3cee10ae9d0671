#include "engine/ResultCode.h"

#include <ostream>

namespace nemora::engine {

const char* ResultName(Result result) {
    switch (result) {
#define NEMORA_RESULT(name, id, kind) \
    case Result::name:                \
        return #name;
#include "engine/ResultCodes.def"
#undef NEMORA_RESULT
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, Result result) {
    return out << ResultName(result) << " (" << ResultId(result) << ")";
}

}  // namespace nemora::engine
