#pragma once

#include <memory>

#include "app/settings/RegistryTransaction.h"

namespace nemora::app {

// Where the current user's keys live: the platform's registry or a
// stand-in for it.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // A transaction that no other one (of this or another process) overlaps;
    // none when the keys cannot be reached.
    virtual std::unique_ptr<RegistryTransaction> Begin() = 0;
};

}  // namespace nemora::app
