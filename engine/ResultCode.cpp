#include "engine/ResultCode.h"

#include <ostream>

namespace nemora::engine {

const char* ResultName(Result result) {
    switch (result) {
        case Result::Ok:
            return "Ok";
#define NEMORA_RESULT(name, kind) \
    case Result::name:            \
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
