#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/settings/KeyAccess.h"
#include "app/settings/RegistryBackend.h"
#include "app/settings/RegistryKey.h"

namespace nemora::app {

// Typed values under the program's key: HKEY_CURRENT_USER, "Software", then
// company, application and section, each one that is not empty. Every
// operation opens the key path, creating the keys that are missing (for reads
// too), and closes it again before it returns: the store holds no keys and no
// values between operations. Reads that fail give their default; writes that
// fail return false.
class SettingsStore {
public:
    // The current user's registry (on this platform the file of RegistryFile).
    SettingsStore();
    explicit SettingsStore(std::unique_ptr<RegistryBackend> backend);
    ~SettingsStore();
    SettingsStore(SettingsStore&&) noexcept;
    SettingsStore& operator=(SettingsStore&&) noexcept;

    // The empty name leaves that level out of the path.
    void SetSection(std::string_view name);
    void SetApplication(std::string_view name);

    // The key path opened (and created where missing) in `transaction`; none
    // when a level cannot be opened or created.
    std::unique_ptr<RegistryKey> OpenKey(RegistryTransaction& transaction, KeyAccess access) const;

    // The stored text up to its first zero byte, whatever the value's type;
    // `fallback` when the value is missing.
    std::string ReadString(std::string_view name, std::string_view fallback = {});
    // Stores the text as a string value; none deletes the value. A text with
    // a zero byte in it could not be read back whole and is refused.
    bool WriteString(std::string_view name, std::optional<std::string_view> text);

    // The stored value of up to 4 bytes as a little-endian signed number,
    // whatever its type; `fallback` when it is missing or longer.
    std::int32_t ReadNumber(std::string_view name, std::int32_t fallback);
    bool WriteNumber(std::string_view name, std::int32_t number);

    // Fills `buffer` only when the stored value has exactly its length, and
    // that length is not 0; returns that length, or 0 with `buffer` untouched.
    std::size_t ReadBytes(std::string_view name, std::span<std::uint8_t> buffer);
    // The stored length, 0 when the value is missing.
    std::size_t ReadBytes(std::string_view name);
    bool WriteBytes(std::string_view name, std::span<const std::uint8_t> bytes);

    // Deletes the last key of the path. A key that holds subkeys or values
    // goes only `withSubkeys`, and then with everything below it. True when
    // the key was deleted.
    bool DeleteKey(bool withSubkeys);

    // Runs the operations that `work` makes on this store as one: they see
    // one state of the registry, no other program's change comes between
    // them, and their changes are stored together. The writes inside report
    // whether they took; the result tells whether their changes were stored.
    // Used to read and to write a whole section at once.
    bool Batch(const std::function<void()>& work);

private:
    template <typename Result, typename Operation>
    Result Run(Result failed, bool write, Operation operation);

    std::string KeyPathBelowHive() const;

    std::unique_ptr<RegistryBackend> backend_;
    std::string root_;  // the first key below the hive; empty stands for "Software"
    std::string company_;
    std::string application_;
    std::string section_;
    bool inBatch_ = false;
    RegistryTransaction* batch_ = nullptr;  // none inside a batch that could not begin
};

}  // namespace nemora::app
