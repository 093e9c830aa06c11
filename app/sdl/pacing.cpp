#include "app/sdl/pacing.h"

#include <algorithm>
#include <cmath>

namespace sdl {

namespace {
// Shorter sleeps wake no earlier than polling would return.
constexpr double kMinSleepUs = 30;
// From here on a wait listens for input instead of sleeping blind; the last
// millisecond is still slept precisely.
constexpr double kEventWaitUs = 3000;
} // namespace

bool PresentSchedule::Due(double nowUs, double periodUs, double remainingUs, double costUs, double pollUs) const {
    if (nowUs < dueUs) return false;
    if (remainingUs >= costUs + pollUs) return true;
    return nowUs - dueUs >= periodUs;
}

void PresentSchedule::HandedOver(double nowUs, double periodUs) {
    if (nowUs < dueUs || nowUs - dueUs >= periodUs) dueUs = nowUs + periodUs;
    else dueUs += periodUs;
}

WaitStep PlanWait(double remainingUs, double nextTimerUs, double presentInUs, double pollUs) {
    WaitStep step;
    if (remainingUs <= 0) return step;
    double sleepable = remainingUs - pollUs;
    if (nextTimerUs >= 0) sleepable = std::min(sleepable, nextTimerUs);
    if (presentInUs > 0) sleepable = std::min(sleepable, presentInUs);
    if (sleepable < kMinSleepUs) return step;
    if (sleepable >= kEventWaitUs) {
        step.kind = WaitStep::Kind::WaitEvents;
        step.ms = static_cast<int>(std::floor((sleepable - 1000) / 1000));
        step.us = step.ms * 1000.0;
    } else {
        step.kind = WaitStep::Kind::Sleep;
        step.us = sleepable;
    }
    return step;
}

void SleepMargin::Overslept(double overshootUs) {
    const double x = std::clamp(overshootUs, 0.0, kCapUs);
    estimateUs_ += (x > estimateUs_ ? 0.25 : 0.02) * (x - estimateUs_);
}

double SleepMargin::PollUs() const { return std::max(kFloorUs, estimateUs_ + 15); }

void CostEstimate::Measured(double us) {
    // Steps of a percent down and larger ones up, so that it settles where the
    // share of costs above it is 1 - share_, however slow the slowest are.
    const double up = 0.01 * share_ / (1 - share_);
    us_ = std::clamp(us > us_ ? us_ * (1 + up) : us_ * 0.99, 10.0, 100000.0);
}

void TurnRoom::Turned(double nowUs, double tookUs) {
    lastTurnUs_ = nowUs;
    if (tookUs >= kLongUs) longTurn_.Measured(tookUs);
}

double TurnRoom::RoomUs(double nowUs, double remainingUs) const {
    // What the poll and the loop's own test take after the turn.
    constexpr double kSlackUs = 100;
    if (remainingUs <= 0 || nowUs - lastTurnUs_ >= kMaxHoldUs) return remainingUs;
    return remainingUs - longTurn_.Us() - kSlackUs;
}

void StagedPresent::Begin(double nowUs) {
    if (busy_) return;
    busy_ = true;
    composed_ = false;
    row_ = 0;
    sinceUs_ = nowUs;
}

std::optional<StagedPresent::Next> StagedPresent::Plan(double nowUs, double roomUs, double periodUs) const {
    if (!busy_) return std::nullopt;
    const bool anyway = roomUs <= 0 || nowUs - sinceUs_ >= periodUs;
    // A quarter of a refresh on, composing goes ahead where it half fits: a
    // frame then runs a little over, where waiting for a wait with room for
    // all of it could take a whole refresh.
    const bool pressed = nowUs - sinceUs_ >= periodUs / 4;
    if (!composed_) {
        if (anyway || roomUs >= compose_.Us() || (pressed && 2 * roomUs >= compose_.Us())) return Next{Step::Compose, 0};
        return std::nullopt;
    }
    const int left = rows_ - row_;
    if (anyway) return Next{Step::Rows, left};
    const int fit = static_cast<int>(std::min<double>(left, std::floor(roomUs / RowUs())));
    if (fit >= std::min(left, minRows_)) return Next{Step::Rows, fit};
    return std::nullopt;
}

void StagedPresent::Took(const Next& next, double tookUs) {
    if (next.step == Step::Compose) {
        composed_ = true;
        compose_.Measured(tookUs);
        if (rows_ <= 0) busy_ = false;
        return;
    }
    row_ = std::min(rows_, row_ + std::max(0, next.rows));
    if (next.rows > 0) perRows_.Measured(tookUs * kRowUnit / next.rows);
    if (row_ >= rows_) busy_ = false;
}

} // namespace sdl
