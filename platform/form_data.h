#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/property_bag.h"

namespace platform {

// The game window's description data that the build packs into the program:
// for each element that holds a picture its stored picture record, and for
// each component instance its saved property record.
//
// Layout: "TRKF", then entries of 16-bit name length, name, 8-bit type
// (1 picture record, 2 property record), 32-bit length, bytes; little-endian.
// Names are element names as written ("Image2", "Picture3(0)", "EmbedSound1(3)",
// "autic"); a component's or the window's own picture is "<name>.Picture",
// the window icon "Form1.Icon".
class FormData {
public:
    enum class EntryType : uint8_t { PictureRecord = 1, PropertyRecord = 2 };

    void AddPicture(std::string_view name, std::span<const uint8_t> pictureFile);
    void AddProperties(std::string_view name, const PropertyBag& bag);
    std::vector<uint8_t> Serialize() const;

    // Checks every entry, nested records included; nullopt for anything
    // malformed or for a name given twice. Keeps its own copy of the data.
    static std::optional<FormData> Parse(std::span<const uint8_t> data);

    // The picture file of a picture entry; valid while this object (or a copy) lives.
    std::optional<std::span<const uint8_t>> Picture(std::string_view name) const;
    std::optional<PropertyBag> Properties(std::string_view name) const;
    std::vector<std::string> Names() const;

private:
    struct Entry {
        std::string name;
        EntryType type;
        size_t offset;  // of the record in data_
        size_t length;
    };
    const Entry* Find(std::string_view name) const;
    void Add(std::string_view name, EntryType type, const std::vector<uint8_t>& record);

    std::shared_ptr<std::vector<uint8_t>> data_ = std::make_shared<std::vector<uint8_t>>();
    std::vector<Entry> entries_;
};

// The description data linked into the program by the build.
std::span<const uint8_t> EmbeddedFormData();

} // namespace platform
