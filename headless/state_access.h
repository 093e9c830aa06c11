#pragma once
// Text access to the game window's state and routines, for the driver and the tests.
#include <charconv>
#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/form1.h"

namespace headless {

using game::Form1;

// A command or value the driver refuses; the text goes into its "error" reply.
struct CommandError {
    std::string message;
};

// A name with its indexes: "obstacleGrid(1,4)" -> obstacleGrid, {1, 4};
// "Picturex(0)" -> Picturex, {0}; "carX" -> carX, {}.
struct Name {
    std::string base;
    std::vector<int> indexes;
};
std::optional<Name> ParseName(std::string_view text);

// A whole decimal number that T can hold: digits with an optional leading minus,
// nothing else. Nothing for anything else, a value out of T's range included.
template <std::integral T> std::optional<T> ParseInteger(std::string_view text) {
    T v{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

// A finite decimal number ("12", "-0.5", "1e3").
std::optional<double> ParseNumber(std::string_view text);

// A number as the driver prints it: whole numbers without a fraction.
std::string FormatNumber(double v);

// The state by the game's names: "carX", "roadColumn(3)", "obstacleGrid(1,4)".
// Numbers print in decimal, Booleans as -1 and 0. Throws CommandError.
std::string GetVariable(const Form1& form, std::string_view name);
// Refuses (CommandError) every value the game cannot hold or would misuse:
// 16-bit integers stay 16-bit, and those the game's 16-bit sums add to take
// only what play gives them; speeds and grid positions index their tables,
// the score counters stay within 32 bits so that their sums cannot overflow,
// and the speed factor is finite, above 0 and no faster than the speed
// setting's fastest (slower stretches the frames, as tests do to hold the road).
void SetVariable(Form1& form, std::string_view name, std::string_view value);
// Runs a routine of the window that takes no arguments. Throws CommandError for
// an unknown one, and for Timer2_timer during a ride: the ride loop would run
// inside the command, where no later command could ever end it.
void CallRoutine(Form1& form, std::string_view name);

// The fastest speed factor, the speed setting's at slider value 1.
constexpr double kMaxSpeedFactor = 5.0;

} // namespace headless
