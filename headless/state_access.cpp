// Text access to the game state, for the driver and the tests.
#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>
#include <functional>
#include <map>

#include "game/form1.h"

namespace game {

namespace {

struct Name {
    std::string base;
    std::vector<int> indexes;
};

// "obstacleGrid(1,4)" -> obstacleGrid, {1, 4}.
std::optional<Name> ParseName(const std::string& text) {
    Name n;
    const size_t open = text.find('(');
    n.base = text.substr(0, open);
    if (open == std::string::npos) return n;
    if (text.back() != ')') return std::nullopt;
    const std::string inner = text.substr(open + 1, text.size() - open - 2);
    size_t start = 0;
    while (start <= inner.size()) {
        const size_t comma = std::min(inner.find(',', start), inner.size());
        int v = 0;
        auto [ptr, ec] = std::from_chars(inner.data() + start, inner.data() + comma, v);
        if (ec != std::errc() || ptr != inner.data() + comma) return std::nullopt;
        n.indexes.push_back(v);
        start = comma + 1;
    }
    return n;
}

std::optional<long long> ParseInteger(const std::string& text) {
    long long v = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

template <typename T> bool Store(T& field, const std::string& text) {
    const auto v = ParseInteger(text);
    if (!v || *v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max()) return false;
    field = static_cast<T>(*v);
    return true;
}

} // namespace

bool Form1::GetVariable(const std::string& text, std::string* value) const {
    const auto name = ParseName(text);
    if (!name) return false;
    auto in = [&](size_t i, int size) { return name->indexes.size() > i && name->indexes[i] >= 0 && name->indexes[i] < size; };
    const std::string& b = name->base;
    if (name->indexes.empty()) {
        static const std::map<std::string, std::function<std::string(const Form1&)>> scalars = {
            {"gameRunning", [](const Form1& f) { return std::to_string(f.gameRunning); }},
            {"speed", [](const Form1& f) { return std::to_string(f.speed); }},
            {"minSpeed", [](const Form1& f) { return std::to_string(f.minSpeed); }},
            {"maxSpeed", [](const Form1& f) { return std::to_string(f.maxSpeed); }},
            {"damage", [](const Form1& f) { return std::to_string(f.damage); }},
            {"roadScore", [](const Form1& f) { return std::to_string(f.roadScore); }},
            {"bagCount", [](const Form1& f) { return std::to_string(f.bagCount); }},
            {"bagPoints", [](const Form1& f) { return std::to_string(f.bagPoints); }},
            {"rabbitCount", [](const Form1& f) { return std::to_string(f.rabbitCount); }},
            {"rabbitPoints", [](const Form1& f) { return std::to_string(f.rabbitPoints); }},
            {"carX", [](const Form1& f) { return std::to_string(f.carX); }},
            {"steerDirection", [](const Form1& f) { return std::to_string(f.steerDirection); }},
            {"steerKeys", [](const Form1& f) { return std::to_string(f.steerKeys); }},
            {"carXLatest", [](const Form1& f) { return std::to_string(f.carXLatest); }},
            {"carXPrevious", [](const Form1& f) { return std::to_string(f.carXPrevious); }},
            {"steerTick", [](const Form1& f) { return std::to_string(f.steerTick); }},
            {"carGridRow", [](const Form1& f) { return std::to_string(f.carGridRow); }},
            {"scrollPixels", [](const Form1& f) { return std::to_string(f.scrollPixels); }},
            {"genRoadColumn", [](const Form1& f) { return std::to_string(f.genRoadColumn); }},
            {"genRoadDirection", [](const Form1& f) { return std::to_string(f.genRoadDirection); }},
            {"genRowPhase", [](const Form1& f) { return std::to_string(f.genRowPhase); }},
            {"speedFactor", [](const Form1& f) { return FormatNumber(f.speedFactor); }},
            {"frameTimer", [](const Form1& f) { return std::string(f.frameTimer ? "-1" : "0"); }},
        };
        const auto it = scalars.find(b);
        if (it == scalars.end()) return false;
        *value = it->second(*this);
        return true;
    }
    if (b == "roadColumn" && name->indexes.size() == 1 && in(0, kGridRows)) {
        *value = std::to_string(roadColumn[name->indexes[0]]);
    } else if (b == "gearOfSpeed" && name->indexes.size() == 1 && in(0, 33)) {
        *value = std::to_string(gearOfSpeed[name->indexes[0]]);
    } else if (b == "sceneryTaken" && name->indexes.size() == 1 && in(0, kColumns)) {
        *value = std::to_string(sceneryTaken[name->indexes[0]]);
    } else if (b == "obstacleGrid" && name->indexes.size() == 2 && in(0, 4) && in(1, kGridRows)) {
        *value = std::to_string(obstacleGrid[name->indexes[0]][name->indexes[1]]);
    } else {
        return false;
    }
    return true;
}

bool Form1::SetVariable(const std::string& text, const std::string& value) {
    const auto name = ParseName(text);
    if (!name) return false;
    auto in = [&](size_t i, int size) { return name->indexes.size() > i && name->indexes[i] >= 0 && name->indexes[i] < size; };
    const std::string& b = name->base;
    if (name->indexes.empty()) {
        // speed indexes the gear table: only its valid values are taken.
        if (b == "speed") {
            const auto v = ParseInteger(value);
            if (!v || *v < 0 || *v > 32) return false;
            speed = static_cast<int16_t>(*v);
            return true;
        }
        if (b == "maxSpeed" || b == "minSpeed") {
            const auto v = ParseInteger(value);
            if (!v || *v < 0 || *v > 32) return false;
            (b == "maxSpeed" ? maxSpeed : minSpeed) = static_cast<int16_t>(*v);
            return true;
        }
        if (b == "carGridRow") {
            const auto v = ParseInteger(value);
            if (!v || *v < 0 || *v >= kGridRows) return false;
            carGridRow = static_cast<int16_t>(*v);
            return true;
        }
        if (b == "speedFactor") {
            try {
                size_t used = 0;
                const double v = std::stod(value, &used);
                if (used != value.size() || !(v > 0)) return false;
                speedFactor = v;
                return true;
            } catch (...) {
                return false;
            }
        }
        static const std::map<std::string, int16_t GameState::*> shorts = {
            {"gameRunning", &GameState::gameRunning}, {"damage", &GameState::damage},
            {"carX", &GameState::carX}, {"steerDirection", &GameState::steerDirection},
            {"steerKeys", &GameState::steerKeys}, {"carXLatest", &GameState::carXLatest},
            {"carXPrevious", &GameState::carXPrevious}, {"scrollPixels", &GameState::scrollPixels},
            {"genRoadColumn", &GameState::genRoadColumn}, {"genRoadDirection", &GameState::genRoadDirection},
            {"genRowPhase", &GameState::genRowPhase},
        };
        static const std::map<std::string, int64_t GameState::*> longs = {
            {"roadScore", &GameState::roadScore}, {"bagCount", &GameState::bagCount},
            {"bagPoints", &GameState::bagPoints}, {"rabbitCount", &GameState::rabbitCount},
            {"rabbitPoints", &GameState::rabbitPoints},
        };
        if (auto it = shorts.find(b); it != shorts.end()) return Store(this->*(it->second), value);
        if (auto it = longs.find(b); it != longs.end()) return Store(this->*(it->second), value);
        if (b == "steerTick") return Store(steerTick, value);
        return false;
    }
    if (b == "roadColumn" && name->indexes.size() == 1 && in(0, kGridRows))
        return Store(roadColumn[name->indexes[0]], value);
    if (b == "sceneryTaken" && name->indexes.size() == 1 && in(0, kColumns))
        return Store(sceneryTaken[name->indexes[0]], value);
    if (b == "obstacleGrid" && name->indexes.size() == 2 && in(0, 4) && in(1, kGridRows)) {
        const auto v = ParseInteger(value);
        // A column of 0 (none) or 1..20.
        if (!v || *v < 0 || *v > kColumns) return false;
        obstacleGrid[name->indexes[0]][name->indexes[1]] = static_cast<int16_t>(*v);
        return true;
    }
    return false;
}

bool Form1::CallRoutine(const std::string& name) {
    static const std::map<std::string, void (Form1::*)()> routines = {
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
    if (it == routines.end()) return false;
    (this->*(it->second))();
    return true;
}

std::string FormatNumber(double v) {
    if (v == static_cast<double>(static_cast<long long>(v))) return std::to_string(static_cast<long long>(v));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

} // namespace game
