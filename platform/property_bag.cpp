#include "platform/property_bag.h"

#include <algorithm>

#include "platform/little_endian.h"

namespace platform {
namespace {

constexpr uint16_t kVersion = 9;
constexpr uint32_t kMagic = 0x0000B293;
constexpr size_t kHeaderSize = 16;      // "LB", version, S, magic, S

constexpr uint16_t kTypeInt32 = 3;
constexpr uint16_t kTypeText = 8;
constexpr uint16_t kTypeBool = 11;
constexpr uint16_t kTypeBytes = 0x2011;

size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

// ---- UTF-8 <-> UTF-16; malformed input becomes U+FFFD rather than failing.

std::u16string ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<uint8_t>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > s.size()) {
                len = 1;
            } else {
                uint32_t v = b & (0x7F >> len);
                bool ok = true;
                for (size_t k = 1; k < len; ++k) {
                    const auto c = static_cast<uint8_t>(s[i + k]);
                    ok = ok && (c & 0xC0) == 0x80;
                    v = (v << 6) | (c & 0x3F);
                }
                static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
                if (ok && v >= kMin[len] && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
                    cp = v;
                } else {
                    len = 1;
                }
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string ToUtf8(const std::u16string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string LowerKey(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return key;
}

uint32_t HashUtf16(const std::u16string& key) {
    uint32_t h = 0;
    for (char16_t c : key) {
        h = (h << 13) | (h >> 19);
        h ^= c;
    }
    return h;
}

// ---- bounds-checked reading

void PutUtf16(std::vector<uint8_t>& out, const std::u16string& s) {
    for (char16_t c : s) Put16(out, c);
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}
    size_t Pos() const { return pos_; }
    size_t Left() const { return data_.size() - pos_; }
    bool U16(uint16_t& v) {
        if (Left() < 2) return false;
        v = Get16(data_, pos_);
        pos_ += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (Left() < 4) return false;
        v = Get32(data_, pos_);
        pos_ += 4;
        return true;
    }
    bool Utf16(size_t chars, std::u16string& s) {
        if (Left() / 2 < chars) return false;
        s.resize(chars);
        for (size_t i = 0; i < chars; ++i) {
            s[i] = static_cast<char16_t>(Get16(data_, pos_));
            pos_ += 2;
        }
        return true;
    }
    bool Bytes(size_t n, std::vector<uint8_t>& v) {
        if (Left() < n) return false;
        v.assign(data_.begin() + pos_, data_.begin() + pos_ + n);
        pos_ += n;
        return true;
    }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

std::optional<PropertyBag::Value> ReadValue(Reader& r, uint16_t type) {
    switch (type) {
    case kTypeInt32: {
        uint32_t v;
        if (!r.U32(v)) return std::nullopt;
        return PropertyBag::Value{static_cast<int32_t>(v)};
    }
    case kTypeText: {
        uint32_t count;
        std::u16string s;
        if (!r.U32(count) || !r.Utf16(count, s)) return std::nullopt;
        return PropertyBag::Value{ToUtf8(s)};
    }
    case kTypeBool: {
        uint16_t v;
        if (!r.U16(v)) return std::nullopt;
        return PropertyBag::Value{v != 0};
    }
    case kTypeBytes: {
        uint16_t dims;
        uint32_t count, lowerBound;
        std::vector<uint8_t> bytes;
        if (!r.U16(dims) || dims != 1 || !r.U32(count) || !r.U32(lowerBound) || lowerBound != 0 ||
            !r.Bytes(count, bytes))
            return std::nullopt;
        return PropertyBag::Value{std::move(bytes)};
    }
    default:
        return std::nullopt;
    }
}

void WriteValue(std::vector<uint8_t>& out, const PropertyBag::Value& value) {
    if (const auto* i = std::get_if<int32_t>(&value)) {
        Put32(out, static_cast<uint32_t>(*i));
    } else if (const auto* s = std::get_if<std::string>(&value)) {
        const std::u16string text = ToUtf16(*s);
        Put32(out, static_cast<uint32_t>(text.size()));
        PutUtf16(out, text);
    } else if (const auto* b = std::get_if<bool>(&value)) {
        Put16(out, *b ? 0xFFFF : 0);
    } else {
        const auto& bytes = std::get<std::vector<uint8_t>>(value);
        Put16(out, 1);
        Put32(out, static_cast<uint32_t>(bytes.size()));
        Put32(out, 0);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
}

uint16_t TypeOf(const PropertyBag::Value& value) {
    static constexpr uint16_t kTypes[] = {kTypeInt32, kTypeText, kTypeBool, kTypeBytes};
    return kTypes[value.index()];
}

} // namespace

uint32_t PropertyBag::KeyHash(std::string_view key) { return HashUtf16(ToUtf16(LowerKey(key))); }

const PropertyBag::Entry* PropertyBag::Find(std::string_view name) const {
    const std::string key = LowerKey(name);
    for (const Entry& e : entries_)
        if (e.key == key) return &e;
    return nullptr;
}

void PropertyBag::WriteProperty(std::string_view name, const Value& value) {
    const std::string key = LowerKey(name);
    for (Entry& e : entries_) {
        if (e.key == key) {
            e.value = value;
            return;
        }
    }
    entries_.push_back({key, value});
}

void PropertyBag::WriteProperty(std::string_view name, const Value& value, const Value& defaultValue) {
    if (value == defaultValue) {
        const std::string key = LowerKey(name);
        std::erase_if(entries_, [&](const Entry& e) { return e.key == key; });
        return;
    }
    WriteProperty(name, value);
}

PropertyBag::Value PropertyBag::ReadProperty(std::string_view name, const Value& defaultValue) const {
    const Entry* e = Find(name);
    return e ? e->value : defaultValue;
}

bool PropertyBag::Contains(std::string_view name) const { return Find(name) != nullptr; }

std::vector<uint8_t> PropertyBag::Serialize() const {
    std::vector<uint8_t> out;
    out.push_back('L');
    out.push_back('B');
    Put16(out, kVersion);
    Put32(out, 0);  // S, filled in below
    Put32(out, kMagic);
    Put32(out, 0);  // S again

    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        const size_t start = out.size();
        const std::u16string key = ToUtf16(e.key);
        Put16(out, TypeOf(e.value));
        Put16(out, static_cast<uint16_t>(key.size()));
        Put32(out, HashUtf16(key));
        const size_t linkAt = out.size();
        Put32(out, 0);
        PutUtf16(out, key);
        WriteValue(out, e.value);
        out.resize(kHeaderSize + Align4(out.size() - kHeaderSize), 0);
        // The last link points back to the first entry.
        const bool last = i + 1 == entries_.size();
        const int64_t link = last ? -static_cast<int64_t>(start - kHeaderSize) : static_cast<int64_t>(out.size() - start);
        Set32(out, linkAt, static_cast<uint32_t>(static_cast<int32_t>(link)));
    }

    const auto s = static_cast<uint32_t>(out.size() - 8);
    Set32(out, 4, s);
    Set32(out, 12, s);
    return out;
}

std::optional<PropertyBag> PropertyBag::Parse(std::span<const uint8_t> record) {
    Reader header(record);
    uint16_t lb, version;
    uint32_t s1, magic, s2;
    if (!header.U16(lb) || lb != ('L' | ('B' << 8)) || !header.U16(version) || version != kVersion ||
        !header.U32(s1) || !header.U32(magic) || magic != kMagic || !header.U32(s2) || s2 != s1 ||
        static_cast<uint64_t>(s1) + 8 != record.size())
        return std::nullopt;

    const std::span<const uint8_t> body = record.subspan(kHeaderSize);
    PropertyBag bag;
    size_t pos = 0;
    while (pos < body.size()) {
        Reader r(body.subspan(pos));
        uint16_t type, keyChars;
        uint32_t hash, rawLink;
        std::u16string key;
        if (!r.U16(type) || !r.U16(keyChars) || !r.U32(hash) || !r.U32(rawLink) || !r.Utf16(keyChars, key) ||
            HashUtf16(key) != hash)
            return std::nullopt;
        auto value = ReadValue(r, type);
        if (!value) return std::nullopt;
        const size_t size = Align4(r.Pos());
        if (pos + size > body.size()) return std::nullopt;
        bag.entries_.push_back({LowerKey(ToUtf8(key)), std::move(*value)});

        const int64_t link = static_cast<int32_t>(rawLink);
        if (link > 0) {
            if (static_cast<size_t>(link) != size || pos + size >= body.size()) return std::nullopt;
            pos += size;
        } else {
            if (static_cast<size_t>(-link) != pos || pos + size != body.size()) return std::nullopt;
            return bag;
        }
    }
    return body.empty() ? std::optional<PropertyBag>(std::move(bag)) : std::nullopt;
}

} // namespace platform
