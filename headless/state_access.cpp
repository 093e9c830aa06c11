#include "headless/state_access.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>

namespace headless {

// The game window's own names, which the driver speaks.
using namespace game;

std::optional<Name> ParseName(std::string_view text) {
    Name n;
    const size_t open = text.find('(');
    n.base = std::string(text.substr(0, open));
    if (n.base.empty()) return std::nullopt;
    if (open == std::string_view::npos) return n;
    if (text.back() != ')') return std::nullopt;
    const std::string_view inner = text.substr(open + 1, text.size() - open - 2);
    size_t start = 0;
    while (start <= inner.size()) {
        const size_t comma = std::min(inner.find(',', start), inner.size());
        const auto v = ParseInteger<int>(inner.substr(start, comma - start));
        if (!v) return std::nullopt;
        n.indexes.push_back(*v);
        start = comma + 1;
    }
    return n;
}

std::optional<double> ParseNumber(std::string_view text) {
    double v = 0;
#ifdef __EMSCRIPTEN__
    // The browser build's C++ library has no from_chars for doubles: strtod
    // then, refusing what from_chars refuses (blanks, a sign of +, hex).
    if (text.empty() || text.front() == '+' || std::isspace(static_cast<unsigned char>(text.front())) ||
        text.find_first_of("xXpP") != std::string_view::npos)
        return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    v = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return std::nullopt;
#else
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
#endif
    return v;
}

std::string FormatNumber(double v) {
    if (std::abs(v) < 1e15 && v == std::trunc(v)) return std::to_string(static_cast<long long>(v));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

namespace {

// What a variable may hold, for the driver: min..max, in steps of `step` from min.
struct Range {
    long long min, max, step = 1;
};
constexpr Range kInt16{std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()};
// Every speed value indexes the gear table and divides.
constexpr Range kSpeed{1, 32};
// Any signed integer of 32 bits serves the score counters; within it their
// sums and a lifetime of increments stay far inside 64 bits.
constexpr Range kScore{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};

// The game adds to these, scales or negates them in 16 bits, so they take only
// what play gives them: no sum of the game's can then leave 16 bits.
//
// Steering moves the car 2 pixels at a time from 288, and on until it stands on
// a column line; from these x that line is inside 16 bits. (A steering key held
// carries the car on until the key's next repeat is refused: the driver's keys
// do not repeat.)
constexpr Range kCarX{-32766, 32734, 2};
constexpr Range kDirection{-1, 1};
// The status line holds it to 0..100. Tools take their repair off before their
// cue plays, and inside the cue a second tools hit, ahead of the car, can take
// another, before the status line sets it back to 0.
constexpr Range kDamage{-6, 100};
constexpr Range kScrollPixels{0, kCellSize - 1};
// The generator starts its segments at columns 1, 4, 7, 10 and 13 and curves
// by 3 within a segment. A curve row writes the row above it, and a screen's top
// row writes the other screen's bottom row, behind the car: 0 or 14 there.
constexpr Range kRoadColumn{0, 14};
constexpr Range kGenRoadColumn{1, 13, 3};
constexpr Range kRowPhase{0, 4};

template <typename T> void Store(T& field, std::string_view name, std::string_view text, Range range) {
    const auto v = ParseInteger<long long>(text);
    if (!v || *v < range.min || *v > range.max || (*v - range.min) % range.step != 0)
        throw CommandError{std::string(name) + " takes a whole number " + std::to_string(range.min) + ".." +
                           std::to_string(range.max) +
                           (range.step > 1 ? " in steps of " + std::to_string(range.step) : std::string())};
    field = static_cast<T>(*v);
}

Name Parsed(std::string_view text) {
    auto name = ParseName(text);
    if (!name) throw CommandError{"bad name " + std::string(text)};
    return *name;
}

// The one index of a one-dimensional array, or the two of obstacleGrid, within bounds.
bool Indexes(const Name& n, std::initializer_list<int> sizes) {
    if (n.indexes.size() != sizes.size()) return false;
    size_t i = 0;
    for (int size : sizes) {
        if (n.indexes[i] < 0 || n.indexes[i] >= size) return false;
        ++i;
    }
    return true;
}

using Short = int16_t GameState::*;
using Score = int64_t GameState::*;

const std::map<std::string, Short, std::less<>>& Shorts() {
    static const std::map<std::string, Short, std::less<>> shorts = {
        {"gameRunning", &GameState::gameRunning}, {"speed", &GameState::speed},
        {"minSpeed", &GameState::minSpeed}, {"maxSpeed", &GameState::maxSpeed},
        {"damage", &GameState::damage}, {"carX", &GameState::carX},
        {"steerDirection", &GameState::steerDirection}, {"steerKeys", &GameState::steerKeys},
        {"carXLatest", &GameState::carXLatest}, {"carXPrevious", &GameState::carXPrevious},
        {"carGridRow", &GameState::carGridRow}, {"scrollPixels", &GameState::scrollPixels},
        {"genRoadColumn", &GameState::genRoadColumn}, {"genRoadDirection", &GameState::genRoadDirection},
        {"genRowPhase", &GameState::genRowPhase},
    };
    return shorts;
}

const std::map<std::string, Score, std::less<>>& Scores() {
    static const std::map<std::string, Score, std::less<>> scores = {
        {"roadScore", &GameState::roadScore}, {"bagCount", &GameState::bagCount},
        {"bagPoints", &GameState::bagPoints}, {"rabbitCount", &GameState::rabbitCount},
        {"rabbitPoints", &GameState::rabbitPoints},
    };
    return scores;
}

Range RangeOf(std::string_view name) {
    if (name == "speed" || name == "minSpeed" || name == "maxSpeed") return kSpeed;
    if (name == "carGridRow") return {0, kGridRows - 1};
    if (name == "carX") return kCarX;
    if (name == "steerDirection" || name == "genRoadDirection") return kDirection;
    if (name == "damage") return kDamage;
    if (name == "scrollPixels") return kScrollPixels;
    if (name == "genRoadColumn") return kGenRoadColumn;
    if (name == "genRowPhase") return kRowPhase;
    return kInt16;
}

} // namespace

std::string GetVariable(const Form1& f, std::string_view text) {
    const Name n = Parsed(text);
    const std::string& b = n.base;
    if (n.indexes.empty()) {
        if (auto it = Shorts().find(b); it != Shorts().end()) return std::to_string(f.*(it->second));
        if (auto it = Scores().find(b); it != Scores().end()) return std::to_string(f.*(it->second));
        if (b == "steerTick") return std::to_string(f.steerTick);
        if (b == "speedFactor") return FormatNumber(f.speedFactor);
        if (b == "frameTimer") return f.frameTimer ? "-1" : "0";
    } else if (b == "roadColumn" && Indexes(n, {kGridRows})) {
        return std::to_string(f.roadColumn[n.indexes[0]]);
    } else if (b == "gearOfSpeed" && Indexes(n, {static_cast<int>(f.gearOfSpeed.size())})) {
        return std::to_string(f.gearOfSpeed[n.indexes[0]]);
    } else if (b == "sceneryTaken" && Indexes(n, {kColumns})) {
        return std::to_string(f.sceneryTaken[n.indexes[0]]);
    } else if (b == "obstacleGrid" && Indexes(n, {4, kGridRows})) {
        return std::to_string(f.obstacleGrid[n.indexes[0]][n.indexes[1]]);
    }
    throw CommandError{"no variable " + std::string(text)};
}

void SetVariable(Form1& f, std::string_view text, std::string_view value) {
    const Name n = Parsed(text);
    const std::string& b = n.base;
    if (n.indexes.empty()) {
        if (auto it = Shorts().find(b); it != Shorts().end()) return Store(f.*(it->second), b, value, RangeOf(b));
        if (auto it = Scores().find(b); it != Scores().end()) return Store(f.*(it->second), b, value, kScore);
        if (b == "steerTick") return Store(f.steerTick, b, value, {0, 255});
        if (b == "speedFactor") {
            const auto v = ParseNumber(value);
            if (!v || !(*v > 0) || *v > kMaxSpeedFactor)
                throw CommandError{"speedFactor takes a number above 0, up to 5"};
            f.speedFactor = *v;
            return;
        }
    } else if (b == "roadColumn" && Indexes(n, {kGridRows})) {
        return Store(f.roadColumn[n.indexes[0]], b, value, kRoadColumn);
    } else if (b == "sceneryTaken" && Indexes(n, {kColumns})) {
        return Store(f.sceneryTaken[n.indexes[0]], b, value, kInt16);
    } else if (b == "obstacleGrid" && Indexes(n, {4, kGridRows})) {
        // A column of 0 (none) or 1..20.
        return Store(f.obstacleGrid[n.indexes[0]][n.indexes[1]], b, value, {0, kColumns});
    }
    throw CommandError{"cannot set " + std::string(text)};
}

void CallRoutine(Form1& f, std::string_view name) {
    static const std::map<std::string, void (Form1::*)(), std::less<>> routines = {
        {"Form_Load", &Form1::Form_Load}, {"NewGame", &Form1::NewGame}, {"ShowStatus", &Form1::ShowStatus},
        {"Timer2_timer", &Form1::Timer2_timer}, {"CheckCollisions", &Form1::CheckCollisions},
        {"DrawSprites", &Form1::DrawSprites}, {"Command1_Click", &Form1::Command1_Click},
        {"Command2_Click", &Form1::Command2_Click}, {"Command3_Click", &Form1::Command3_Click},
        {"Command4_Click", &Form1::Command4_Click}, {"Command5_Click", &Form1::Command5_Click},
        {"Command6_Click", &Form1::Command6_Click}, {"Skill_Click", &Form1::Skill_Click},
        {"VScrollbar1_change", &Form1::VScrollbar1_change}, {"SaveSpeed", &Form1::SaveSpeed},
        {"LoadSpeed", &Form1::LoadSpeed},
    };
    const auto it = routines.find(name);
    if (it == routines.end()) throw CommandError{"no routine " + std::string(name)};
    if (it->second == &Form1::Timer2_timer && f.gameRunning)
        throw CommandError{"Timer2_timer would run the ride loop inside the command; Timer2 runs it"};
    (f.*(it->second))();
}

} // namespace headless
