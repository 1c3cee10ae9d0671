#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings/KeyAccess.h"
#include "app/settings/RegistryValue.h"

namespace nemora::app {

// An open registry key. Closing it is destroying it. Key and value names
// compare without regard to the case of ASCII letters; a key name may hold
// several levels joined by backslashes. Every call fails (none, false) once
// the key has been deleted, and when the key's access does not allow it.
class RegistryKey {
public:
    struct Counts {
        std::size_t subKeys = 0;
        std::size_t values = 0;
    };

    virtual ~RegistryKey() = default;

    // An existing key below this one; none when it is missing.
    virtual std::unique_ptr<RegistryKey> OpenSubKey(std::string_view name, KeyAccess access) = 0;

    // The key below this one, created first with every missing level.
    virtual std::unique_ptr<RegistryKey> CreateSubKey(std::string_view name, KeyAccess access) = 0;

    // The value's type and bytes; none when it is missing. The empty name is
    // the key's default value.
    virtual std::optional<RegistryValue> QueryValue(std::string_view name) = 0;
    virtual bool SetValue(std::string_view name, const RegistryValue& value) = 0;

    // False when there was no such value.
    virtual bool DeleteValue(std::string_view name) = 0;

    virtual std::optional<Counts> QueryInfo() = 0;

    // The name of the subkey at `index`; none past the last one.
    virtual std::optional<std::string> EnumSubKey(std::size_t index) = 0;

    // Deletes a key below this one with its values; refused while that key
    // has subkeys of its own.
    virtual bool DeleteSubKey(std::string_view name) = 0;
};

}  // namespace nemora::app
