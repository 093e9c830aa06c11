#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// A picture property as the window description keeps it: 32-bit N = L + 8,
// "lt", 0, 0, 32-bit L, then the L bytes of the picture file unchanged.
std::vector<uint8_t> WritePictureRecord(std::span<const uint8_t> file);

// The picture file inside one whole record; nullopt for anything malformed.
std::optional<std::span<const uint8_t>> ParsePictureRecord(std::span<const uint8_t> record);

} // namespace platform
