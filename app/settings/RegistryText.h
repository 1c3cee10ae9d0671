#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings/RegistryValue.h"

namespace nemora::app {

// Keys and values held as the text of a .reg file: "REGEDIT4", then one
// section per key ("[HKEY_CURRENT_USER\Software\...]") with its values
// ("name"="text", dword:0000002a, hex:01,02, hex(7):..., @ for the default
// value), UTF-8. A key exists when a section names it or a key below it.
//
// A section that is not changed keeps its text byte for byte, comments and
// layout included, so other programs' keys come out as they went in. Changed
// and new sections are written in one canonical form. Names compare without
// regard to the case of ASCII letters, as the registry's do.
class RegistryText {
public:
    using KeyPath = std::vector<std::string>;  // hive first: {"HKEY_CURRENT_USER", "Software"}

    // An empty text is an empty registry. None when the text is not a
    // registry file or has a line this reader does not understand.
    static std::optional<RegistryText> Parse(std::string_view text);

    // The empty text when there is no key at all.
    std::string Serialize() const;

    bool KeyExists(const KeyPath& path) const;
    // Names of the keys right below `path`, in the order of the file.
    std::vector<std::string> SubKeys(const KeyPath& path) const;
    std::size_t ValueCount(const KeyPath& path) const;
    std::optional<RegistryValue> Value(const KeyPath& path, std::string_view name) const;

    // Creates the key when it does not exist; a new section goes after the
    // last section of its parent's branch.
    void CreateKey(const KeyPath& path);
    // Creates the key when needed.
    void SetValue(const KeyPath& path, std::string_view name, const RegistryValue& value);
    bool DeleteValue(const KeyPath& path, std::string_view name);
    // Removes the key's own section and values; keys below it stay. False when
    // the key has no section.
    bool DeleteKey(const KeyPath& path);

    // Names this text can hold and read back as they are.
    static bool IsKeyName(std::string_view name);
    static bool IsValueName(std::string_view name);

    static bool SameName(std::string_view a, std::string_view b);

private:
    struct NamedValue {
        std::string name;
        RegistryValue value;
    };
    struct Section {
        KeyPath path;
        std::vector<NamedValue> values;
        std::string text;  // as read, used while not edited
        bool edited = false;
    };

    std::optional<std::size_t> Find(const KeyPath& path) const;
    std::size_t EnsureSection(const KeyPath& path);
    void AppendSection(std::string& out, const Section& section) const;

    std::string preamble_;  // "REGEDIT4" and whatever comes before the first section
    std::string newline_ = "\n";
    std::vector<Section> sections_;
};

}  // namespace nemora::app
