#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "platform/performance_timer.h"

namespace game {

// Booleans are 16-bit: true is -1.
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

// Obstacle kinds, the first index of obstacleGrid and of the ometalo pictures.
enum ObstacleKind : int { kBag = 0, kBomb = 1, kRabbit = 2, kTools = 3 };

// The road is drawn in square cells: 20 columns across the playfield, and two
// road screens of 15 rows each that form a ring of 30 grid rows.
constexpr int kCellSize = 32;
constexpr int kGridRows = 30;
constexpr int kColumns = 20;

// The entries of the Skill list, by list index, and the speed limits each sets.
struct SkillLevel {
    const char* name;
    int16_t minSpeed;
    int16_t maxSpeed;
};
constexpr std::array<SkillLevel, 3> kSkillLevels{{{"Easy", 2, 8}, {"Normal", 4, 16}, {"Hard", 16, 16}}};
// Any index but Easy's and Normal's plays as Hard.
constexpr const SkillLevel& SkillLevelAt(int listIndex) {
    return listIndex == 0 || listIndex == 1 ? kSkillLevels[static_cast<size_t>(listIndex)] : kSkillLevels[2];
}

// The whole state of the game window. Every routine of the window reads and
// writes these in place; the names are the game's own.
struct GameState {
    int16_t gameRunning = kFalse;
    int16_t speed = 1;
    int16_t minSpeed = 4;
    int16_t maxSpeed = 16;
    std::array<int16_t, 33> gearOfSpeed{};
    int16_t damage = 0;
    // The score counters grow without the 16-bit limit.
    int64_t roadScore = 0;
    int64_t bagCount = 0;
    int64_t bagPoints = 0;
    int64_t rabbitCount = 0;
    int64_t rabbitPoints = 0;
    int16_t carX = 288;
    int16_t steerDirection = 0;
    int16_t steerKeys = 0;
    int16_t carXLatest = 0;
    int16_t carXPrevious = 0;
    uint8_t steerTick = 0;
    int16_t carGridRow = 1;
    int16_t scrollPixels = 0;
    std::array<int16_t, kGridRows> roadColumn{};
    std::array<std::array<int16_t, kGridRows>, 4> obstacleGrid{};
    int16_t genRoadColumn = 7;
    int16_t genRoadDirection = 0;
    int16_t genRowPhase = 0;
    std::array<int16_t, kColumns> sceneryTaken{};
    double speedFactor = 1.0;
    std::unique_ptr<platform::PerformanceTimer> frameTimer;
};

} // namespace game
