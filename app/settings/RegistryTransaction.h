#pragma once

#include "app/settings/RegistryKey.h"

namespace nemora::app {

// One unit of work on the current user's keys. Keys opened through it must
// be closed before it goes. A backend that can keep them back applies the
// changes together at Commit and drops them when the transaction goes
// uncommitted; the platform's registry applies each change as it is made.
class RegistryTransaction {
public:
    virtual ~RegistryTransaction() = default;

    // HKEY_CURRENT_USER, open with all access for as long as the transaction.
    virtual RegistryKey& CurrentUser() = 0;

    // True once every change made so far is stored.
    virtual bool Commit() = 0;
};

}  // namespace nemora::app
