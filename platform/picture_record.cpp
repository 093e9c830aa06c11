#include "platform/picture_record.h"

#include "platform/little_endian.h"

namespace platform {
namespace {

constexpr size_t kHeaderSize = 12;

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
