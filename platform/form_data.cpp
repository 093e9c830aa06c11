#include "platform/form_data.h"

#include <algorithm>
#include <stdexcept>

#include "platform/little_endian.h"
#include "platform/picture_record.h"

namespace platform {
namespace {

constexpr uint8_t kMagic[] = {'T', 'R', 'K', 'F'};

} // namespace

void FormData::Add(std::string_view name, EntryType type, const std::vector<uint8_t>& record) {
    if (name.size() > UINT16_MAX || record.size() > UINT32_MAX) throw std::length_error("form data entry too large");
    if (Find(name)) throw std::invalid_argument("form data entry given twice: " + std::string(name));
    // Copies made earlier keep their own bytes.
    if (data_.use_count() > 1) data_ = std::make_shared<std::vector<uint8_t>>(*data_);
    entries_.push_back({std::string(name), type, data_->size(), record.size()});
    data_->insert(data_->end(), record.begin(), record.end());
}

void FormData::AddPicture(std::string_view name, std::span<const uint8_t> pictureFile) {
    Add(name, EntryType::PictureRecord, WritePictureRecord(pictureFile));
}

void FormData::AddProperties(std::string_view name, const PropertyBag& bag) {
    Add(name, EntryType::PropertyRecord, bag.Serialize());
}

std::vector<uint8_t> FormData::Serialize() const {
    std::vector<uint8_t> out(std::begin(kMagic), std::end(kMagic));
    for (const Entry& e : entries_) {
        Put16(out, static_cast<uint16_t>(e.name.size()));
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(static_cast<uint8_t>(e.type));
        Put32(out, static_cast<uint32_t>(e.length));
        out.insert(out.end(), data_->begin() + e.offset, data_->begin() + e.offset + e.length);
    }
    return out;
}

std::optional<FormData> FormData::Parse(std::span<const uint8_t> data) {
    if (data.size() < sizeof kMagic || !std::equal(std::begin(kMagic), std::end(kMagic), data.begin()))
        return std::nullopt;
    FormData form;
    form.data_->assign(data.begin(), data.end());
    const std::span<const uint8_t> bytes(*form.data_);
    size_t pos = sizeof kMagic;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 2) return std::nullopt;
        const size_t nameLength = Get16(bytes, pos);
        pos += 2;
        if (bytes.size() - pos < nameLength + 5) return std::nullopt;
        std::string name(bytes.begin() + pos, bytes.begin() + pos + nameLength);
        pos += nameLength;
        const uint8_t type = bytes[pos];
        const size_t length = Get32(bytes, pos + 1);
        pos += 5;
        if (bytes.size() - pos < length || form.Find(name)) return std::nullopt;
        const auto record = bytes.subspan(pos, length);
        if (type == static_cast<uint8_t>(EntryType::PictureRecord)) {
            if (!ParsePictureRecord(record)) return std::nullopt;
        } else if (type == static_cast<uint8_t>(EntryType::PropertyRecord)) {
            if (!PropertyBag::Parse(record)) return std::nullopt;
        } else {
            return std::nullopt;
        }
        form.entries_.push_back({std::move(name), static_cast<EntryType>(type), pos, length});
        pos += length;
    }
    return form;
}

const FormData::Entry* FormData::Find(std::string_view name) const {
    for (const Entry& e : entries_)
        if (e.name == name) return &e;
    return nullptr;
}

std::optional<std::span<const uint8_t>> FormData::Picture(std::string_view name) const {
    const Entry* e = Find(name);
    if (!e || e->type != EntryType::PictureRecord) return std::nullopt;
    return ParsePictureRecord(std::span<const uint8_t>(*data_).subspan(e->offset, e->length));
}

std::optional<PropertyBag> FormData::Properties(std::string_view name) const {
    const Entry* e = Find(name);
    if (!e || e->type != EntryType::PropertyRecord) return std::nullopt;
    return PropertyBag::Parse(std::span<const uint8_t>(*data_).subspan(e->offset, e->length));
}

std::vector<std::string> FormData::Names() const {
    std::vector<std::string> names;
    for (const Entry& e : entries_) names.push_back(e.name);
    return names;
}

} // namespace platform
