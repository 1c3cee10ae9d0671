#pragma once

#include <cstdint>
#include <vector>

#include "engine/ResultCode.h"
#include "res/EmbeddedResource.h"

namespace nemora::publish {

// Where a save gets the page templates and the decoder archive. The program
// uses its embedded resources; tests put failing sources in their place.
class ResourceSource {
public:
    virtual ~ResourceSource() = default;

    // Loads a resource whole into `bytes`. NoResource when it cannot be
    // found or loaded, BrokenResource when it is empty or cannot be read whole.
    virtual engine::Result Load(res::ResourceType type, std::uint32_t id,
                                std::vector<std::uint8_t>& bytes) = 0;

    // The resources compiled into the executable.
    static ResourceSource& Embedded();
};

}  // namespace nemora::publish
