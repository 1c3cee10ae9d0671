#include "engine/ResultCode.h"

namespace nemora::engine {

const char* ResultName(Result result) {
    switch (result) {
#define NEMORA_RESULT(name, id) \
    case Result::name:          \
        return #name;
#include "engine/ResultCodes.def"
#undef NEMORA_RESULT
    }
    return "?";
}

}  // namespace nemora::engine
