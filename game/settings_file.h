#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace game {

// Reads the first item of a settings file as a 16-bit integer, the way list
// input reads a number: leading blanks skipped, the item ending at a comma, a
// line end or the end of the file. Empty when there is no such number.
std::optional<int16_t> ReadListInteger(std::string_view content);

} // namespace game
