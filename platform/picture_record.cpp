#include "platform/picture_record.h"

namespace platform {
namespace {

constexpr size_t kHeaderSize = 12;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(std::span<const uint8_t> d, size_t at) {
    return static_cast<uint32_t>(d[at]) | static_cast<uint32_t>(d[at + 1]) << 8 |
           static_cast<uint32_t>(d[at + 2]) << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

} // namespace

std::vector<uint8_t> WritePictureRecord(std::span<const uint8_t> file) {
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + file.size());
    Put32(out, static_cast<uint32_t>(file.size() + 8));
    out.insert(out.end(), {'l', 't', 0, 0});
    Put32(out, static_cast<uint32_t>(file.size()));
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

std::optional<std::span<const uint8_t>> ParsePictureRecord(std::span<const uint8_t> record) {
    if (record.size() < kHeaderSize) return std::nullopt;
    const uint64_t n = Get32(record, 0);
    const uint64_t l = Get32(record, 8);
    if (record[4] != 'l' || record[5] != 't' || record[6] != 0 || record[7] != 0 || n != l + 8 ||
        n + 4 != record.size())
        return std::nullopt;
    return record.subspan(kHeaderSize);
}

} // namespace platform
