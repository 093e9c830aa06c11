#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "game/form1.h"
#include "headless/headless.h"

namespace testing_support {

// Draws given one by one, then a fixed fallback.
class ScriptedRandom final : public platform::Random {
public:
    double Rnd() override {
        if (draws.empty()) return fallback;
        const double r = draws.front();
        draws.pop_front();
        return r;
    }
    void Reseed() override { ++reseeds; }
    // A draw that makes Int(r * n) come out as v.
    void Push(int v, int n) { draws.push_back((v + 0.5) / n); }
    std::deque<double> draws;
    double fallback = 0.0;
    int reseeds = 0;
};

// A picture of one colour, for telling in a road screen which picture was painted where.
inline ui::PicturePtr Solid(int w, int h, uint32_t rgb) {
    return ui::Picture::FromPixels(w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), 0xFF000000u | rgb));
}

// An event pump that lets a test act wherever the game gives way, with no clock of its own.
class PeekingPump final : public platform::EventPump {
public:
    void Yield(double) override {
        if (onYield) onYield();
    }
    std::function<void()> onYield;
};

// A private working folder for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("trakmor-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Steps run where the player's events would: inside the game's waits. Each
// step says how many virtual microseconds to let pass before the next one.
class Script {
public:
    explicit Script(headless::HeadlessGame& game) : game_(game) {
        game_.nextStep = [this]() -> std::optional<double> { return Next(); };
    }
    Script& Do(std::function<void()> fn) {
        steps_.push_back([fn](bool&) {
            fn();
            return 0.0;
        });
        return *this;
    }
    Script& Wait(double us) {
        steps_.push_back([us](bool&) { return us; });
        return *this;
    }
    // Looks every pollUs until done() holds.
    Script& Until(std::function<bool()> done, double pollUs = 1000, double limitUs = 60e6) {
        auto since = std::make_shared<double>(-1);
        steps_.push_back([this, done, pollUs, limitUs, since](bool& again) {
            if (*since < 0) *since = game_.NowUs();
            if (done()) {
                *since = -1;
                return 0.0;
            }
            if (game_.NowUs() - *since > limitUs) {
                ADD_FAILURE() << "gave up waiting at step " << next_;
                abandoned_ = true;
                return 0.0;
            }
            again = true;
            return pollUs;
        });
        return *this;
    }
    // Plays the game to the end of the script; its exit status.
    int Play() {
        const int status = game_.Play();
        EXPECT_FALSE(abandoned_);
        EXPECT_EQ(next_, steps_.size()) << "the script did not run to its end";
        return status;
    }
    // Plays the game until a step quits it; its exit status.
    int PlayToQuit() {
        const int status = game_.Play();
        EXPECT_LT(next_, steps_.size()) << "the game did not quit";
        return status;
    }

private:
    std::optional<double> Next() {
        if (abandoned_ || next_ >= steps_.size()) return std::nullopt;
        bool again = false;
        const double wait = steps_[next_](again);
        if (!again) ++next_;
        return wait;
    }

    headless::HeadlessGame& game_;
    std::vector<std::function<double(bool&)>> steps_;
    size_t next_ = 0;
    bool abandoned_ = false;
};

// The real game window, loaded and on its intro screen, with no display.
class GameTest : public ::testing::Test {
protected:
    explicit GameTest(bool scripted = false) : game((dir.path() / "Trakmor_B.spd")) {
        if (scripted) game.rng = &draws;
    }
    void SetUp() override {
        game.Load();
        f = game.form.get();
    }
    // Starts a ride as the player would, with the Start button.
    void Start() { ASSERT_TRUE(game.window.ClickElement(f->Command1)); }
    void Key(int code) { game.window.OnKeyDown(code); }
    void KeyUp(int code) { game.window.OnKeyUp(code); }

    TempDir dir;
    ScriptedRandom draws;
    headless::HeadlessGame game;
    game::Form1* f = nullptr;
};

} // namespace testing_support
