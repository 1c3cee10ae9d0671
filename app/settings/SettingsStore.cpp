#include "app/settings/SettingsStore.h"

#include <algorithm>
#include <utility>

#include "app/settings/RegistryFile.h"

namespace nemora::app {
namespace {

constexpr const char* kSoftware = "Software";
// String table entries 57348 and 57344.
constexpr const char* kCompany = "Kelvane";
constexpr const char* kApplication = "Nemora";

// Deletes the subkeys of `key`, each with everything below it. The first
// subkey is taken every time: the list shrinks as they go.
bool DeleteSubKeys(RegistryKey& key) {
    const std::optional<RegistryKey::Counts> counts = key.QueryInfo();
    if (!counts) return false;
    for (std::size_t i = 0; i < counts->subKeys; ++i) {
        const std::optional<std::string> name = key.EnumSubKey(0);
        if (!name) return false;
        if (std::unique_ptr<RegistryKey> subKey = key.OpenSubKey(*name, KeyAccess::AllAccess)) {
            DeleteSubKeys(*subKey);
        }
        // What is left makes the deletion of the key itself fail.
        if (!key.DeleteSubKey(*name)) return true;
    }
    return true;
}

}  // namespace

SettingsStore::SettingsStore()
    : SettingsStore(std::make_unique<RegistryFile>(RegistryFile::UserLocation())) {}

SettingsStore::SettingsStore(std::unique_ptr<RegistryBackend> backend)
    : backend_(std::move(backend)), company_(kCompany), application_(kApplication) {}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

void SettingsStore::SetSection(std::string_view name) {
    section_ = name;
}

void SettingsStore::SetApplication(std::string_view name) {
    application_ = name;
}

std::unique_ptr<RegistryKey> SettingsStore::OpenKey(RegistryTransaction& transaction,
                                                    KeyAccess access) const {
    std::unique_ptr<RegistryKey> key =
        transaction.CurrentUser().OpenSubKey(root_.empty() ? kSoftware : root_, access);
    for (const std::string* name : {&company_, &application_, &section_}) {
        if (!key) return nullptr;
        if (!name->empty()) key = key->CreateSubKey(*name, access);
    }
    return key;
}

std::string SettingsStore::ReadString(std::string_view name, std::string_view fallback) {
    return Run(std::string(fallback), false, [&](RegistryTransaction& transaction) {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Read);
        const std::optional<RegistryValue> value = key ? key->QueryValue(name) : std::nullopt;
        if (!value) return std::string(fallback);
        const auto end = std::find(value->data.begin(), value->data.end(), 0);
        return std::string(value->data.begin(), end);
    });
}

bool SettingsStore::WriteString(std::string_view name, std::optional<std::string_view> text) {
    if (text && text->find('\0') != std::string_view::npos) return false;
    return Run(false, true, [&](RegistryTransaction& transaction) {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Write);
        if (!key) return false;
        if (!text) return key->DeleteValue(name);
        RegistryValue value{RegistryValue::kRegSz, {text->begin(), text->end()}};
        value.data.push_back(0);
        return key->SetValue(name, value);
    });
}

std::int32_t SettingsStore::ReadNumber(std::string_view name, std::int32_t fallback) {
    return Run(fallback, false, [&](RegistryTransaction& transaction) {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Read);
        const std::optional<RegistryValue> value = key ? key->QueryValue(name) : std::nullopt;
        if (!value || value->data.size() > 4) return fallback;
        std::uint32_t number = 0;
        for (std::size_t i = value->data.size(); i > 0; --i) {
            number = number << 8 | value->data[i - 1];
        }
        return static_cast<std::int32_t>(number);
    });
}

bool SettingsStore::WriteNumber(std::string_view name, std::int32_t number) {
    return Run(false, true, [&](RegistryTransaction& transaction) {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Write);
        if (!key) return false;
        const auto bits = static_cast<std::uint32_t>(number);
        RegistryValue value{RegistryValue::kRegDword, {}};
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<std::uint8_t>(bits >> shift));
        }
        return key->SetValue(name, value);
    });
}

std::size_t SettingsStore::ReadBytes(std::string_view name, std::span<std::uint8_t> buffer) {
    return Run(std::size_t{0}, false, [&](RegistryTransaction& transaction) -> std::size_t {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Read);
        const std::optional<RegistryValue> value = key ? key->QueryValue(name) : std::nullopt;
        if (!value || value->data.empty() || value->data.size() != buffer.size()) return 0;
        std::copy(value->data.begin(), value->data.end(), buffer.begin());
        return value->data.size();
    });
}

std::size_t SettingsStore::ReadBytes(std::string_view name) {
    return Run(std::size_t{0}, false, [&](RegistryTransaction& transaction) -> std::size_t {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Read);
        const std::optional<RegistryValue> value = key ? key->QueryValue(name) : std::nullopt;
        return value ? value->data.size() : 0;
    });
}

bool SettingsStore::WriteBytes(std::string_view name, std::span<const std::uint8_t> bytes) {
    return Run(false, true, [&](RegistryTransaction& transaction) {
        const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::Write);
        return key &&
               key->SetValue(name, {RegistryValue::kRegBinary, {bytes.begin(), bytes.end()}});
    });
}

bool SettingsStore::DeleteKey(bool withSubkeys) {
    return Run(false, true, [&](RegistryTransaction& transaction) {
        {
            const std::unique_ptr<RegistryKey> key = OpenKey(transaction, KeyAccess::AllAccess);
            if (!key) return false;
            const std::optional<RegistryKey::Counts> counts = key->QueryInfo();
            if (!counts) return false;
            if (counts->subKeys > 0 || counts->values > 0) {
                if (!withSubkeys || !DeleteSubKeys(*key)) return false;
            }
        }
        return transaction.CurrentUser().DeleteSubKey(KeyPathBelowHive());
    });
}

bool SettingsStore::Batch(const std::function<void()>& work) {
    if (inBatch_) {
        work();
        return batch_ != nullptr;
    }
    const std::unique_ptr<RegistryTransaction> transaction = backend_ ? backend_->Begin() : nullptr;
    inBatch_ = true;
    batch_ = transaction.get();
    try {
        work();
    } catch (...) {
        inBatch_ = false;
        batch_ = nullptr;
        throw;
    }
    inBatch_ = false;
    batch_ = nullptr;
    return transaction && transaction->Commit();
}

template <typename Result, typename Operation>
Result SettingsStore::Run(Result failed, bool write, Operation operation) {
    if (inBatch_) return batch_ != nullptr ? operation(*batch_) : failed;
    const std::unique_ptr<RegistryTransaction> transaction = backend_ ? backend_->Begin() : nullptr;
    if (!transaction) return failed;
    Result result = operation(*transaction);
    // A read stores only the keys it created: what it read is right even
    // when they could not be kept.
    const bool stored = transaction->Commit();
    return write && !stored ? failed : result;
}

std::string SettingsStore::KeyPathBelowHive() const {
    std::string path = kSoftware;
    for (const std::string* name : {&company_, &application_, &section_}) {
        if (!name->empty()) path += "\\" + *name;
    }
    return path;
}

}  // namespace nemora::app
