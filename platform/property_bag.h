#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// A component's saved properties in the "LB" record layout that the window
// description keeps. Keys are stored lowercase and matched without regard to
// case; texts are UTF-8 here and UTF-16LE in the record.
class PropertyBag {
public:
    // 32-bit integer, text, Boolean, byte array with lower bound 0.
    using Value = std::variant<int32_t, std::string, bool, std::vector<uint8_t>>;

    struct Entry {
        std::string key;  // lowercase
        Value value;
    };

    // Stores `value` under `name`, unless it equals `defaultValue`: then the
    // key is left out (and dropped if it was there). A value of another type
    // than the default never equals it.
    void WriteProperty(std::string_view name, const Value& value, const Value& defaultValue);
    // Stores `value` under `name` unconditionally (the container's extents).
    void WriteProperty(std::string_view name, const Value& value);
    // The stored value, or `defaultValue` when the key is absent.
    Value ReadProperty(std::string_view name, const Value& defaultValue) const;
    bool Contains(std::string_view name) const;

    const std::vector<Entry>& Entries() const { return entries_; }

    std::vector<uint8_t> Serialize() const;
    // Takes exactly one whole record; nullopt for anything malformed.
    static std::optional<PropertyBag> Parse(std::span<const uint8_t> record);

    static uint32_t KeyHash(std::string_view key);

private:
    const Entry* Find(std::string_view name) const;
    std::vector<Entry> entries_;
};

} // namespace platform
