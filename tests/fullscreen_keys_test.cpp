#include "app/sdl/fullscreen_keys.h"

#include <gtest/gtest.h>

using sdl::FullscreenKeys;
using sdl::ToggledFullscreen;
using V = FullscreenKeys::Verdict;

namespace {

TEST(FullscreenKeysTest, F11AndAltEnterToggle) {
    FullscreenKeys keys;
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_F11, KMOD_NONE, false), V::Toggle);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_F11, KMOD_NUM, true), V::Swallow);  // held: repeats change nothing
    EXPECT_EQ(keys.OnKey(false, SDL_SCANCODE_F11, KMOD_NONE, false), V::Swallow);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_F11, KMOD_LSHIFT | KMOD_CAPS, false), V::Toggle);
    EXPECT_EQ(keys.OnKey(false, SDL_SCANCODE_F11, KMOD_NONE, false), V::Swallow);
    for (Uint16 alt : {KMOD_LALT, KMOD_RALT})
        for (SDL_Scancode enter : {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER}) {
            EXPECT_EQ(keys.OnKey(true, enter, alt, false), V::Toggle);
            // Alt let go before Enter: Enter's release is still the toggle's.
            EXPECT_EQ(keys.OnKey(false, enter, KMOD_NONE, false), V::Swallow);
        }
}

TEST(FullscreenKeysTest, EveryOtherKeyIsTheGames) {
    FullscreenKeys keys;
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_LALT, KMOD_LALT, false), V::Pass);  // Alt itself
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_RETURN, KMOD_NONE, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_RETURN, KMOD_LCTRL | KMOD_LALT, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_RETURN, KMOD_LGUI | KMOD_LALT, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_F11, KMOD_LCTRL, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_F11, KMOD_LALT, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_F10, KMOD_NONE, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_Q, KMOD_LALT, false), V::Pass);
    // Enter went down to the game, then Alt: its repeats and its release stay the game's.
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_RETURN, KMOD_NONE, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_RETURN, KMOD_LALT, true), V::Pass);
    EXPECT_EQ(keys.OnKey(false, SDL_SCANCODE_RETURN, KMOD_LALT, false), V::Pass);
    EXPECT_EQ(keys.OnKey(false, SDL_SCANCODE_F11, KMOD_NONE, false), V::Pass);
    EXPECT_EQ(keys.OnKey(true, SDL_SCANCODE_UNKNOWN, KMOD_NONE, false), V::Pass);
}

TEST(FullscreenKeysTest, TheToggleLeavesTheGamesOwnDisplayModeAlone) {
    EXPECT_EQ(ToggledFullscreen(SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN), SDL_WINDOW_FULLSCREEN_DESKTOP);
    EXPECT_EQ(ToggledFullscreen(SDL_WINDOW_RESIZABLE | SDL_WINDOW_FULLSCREEN_DESKTOP), 0u);
    EXPECT_EQ(ToggledFullscreen(SDL_WINDOW_RESIZABLE | SDL_WINDOW_FULLSCREEN), std::nullopt);
}

} // namespace
