#pragma once

namespace nemora::app {

// What an open registry key may be used for, as the platform's access masks
// KEY_READ, KEY_WRITE and KEY_ALL_ACCESS grant it.
enum class KeyAccess {
    Read,       // query values, count and list subkeys
    Write,      // set and delete values, create subkeys
    AllAccess,  // both
};

}  // namespace nemora::app
