#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <filesystem>
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
    game::HeadlessGame game;
    game::Form1* f = nullptr;
};

} // namespace testing_support
