#include "app/sdl/key_map.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using sdl::VirtualKey;

namespace {

// What a US keyboard reports for a key: its character for the typing keys,
// SDL's scancode-made keycode for the others.
SDL_Keycode UsKeycode(SDL_Scancode s) {
    if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return SDLK_a + (s - SDL_SCANCODE_A);
    if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return SDLK_1 + (s - SDL_SCANCODE_1);
    switch (s) {
    case SDL_SCANCODE_0: return SDLK_0;
    case SDL_SCANCODE_SEMICOLON: return SDLK_SEMICOLON;
    case SDL_SCANCODE_EQUALS: return SDLK_EQUALS;
    case SDL_SCANCODE_COMMA: return SDLK_COMMA;
    case SDL_SCANCODE_MINUS: return SDLK_MINUS;
    case SDL_SCANCODE_PERIOD: return SDLK_PERIOD;
    case SDL_SCANCODE_SLASH: return SDLK_SLASH;
    case SDL_SCANCODE_GRAVE: return SDLK_BACKQUOTE;
    case SDL_SCANCODE_LEFTBRACKET: return SDLK_LEFTBRACKET;
    case SDL_SCANCODE_BACKSLASH: return SDLK_BACKSLASH;
    case SDL_SCANCODE_RIGHTBRACKET: return SDLK_RIGHTBRACKET;
    case SDL_SCANCODE_APOSTROPHE: return SDLK_QUOTE;
    case SDL_SCANCODE_SPACE: return SDLK_SPACE;
    case SDL_SCANCODE_RETURN: return SDLK_RETURN;
    case SDL_SCANCODE_ESCAPE: return SDLK_ESCAPE;
    case SDL_SCANCODE_TAB: return SDLK_TAB;
    case SDL_SCANCODE_BACKSPACE: return SDLK_BACKSPACE;
    default: return SDL_SCANCODE_TO_KEYCODE(s);
    }
}

int Us(SDL_Scancode s) { return VirtualKey(s, UsKeycode(s)); }

TEST(KeyMapTest, TheWholeTableOnAUsKeyboard) {
    for (int i = 0; i < 26; ++i) EXPECT_EQ(Us(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i)), 'A' + i);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Us(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i)), '1' + i);
    EXPECT_EQ(Us(SDL_SCANCODE_0), 48);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Us(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i)), 112 + i);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Us(static_cast<SDL_Scancode>(SDL_SCANCODE_F13 + i)), 124 + i);
    EXPECT_EQ(Us(SDL_SCANCODE_KP_0), 96);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Us(static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i)), 97 + i);
    const std::vector<std::pair<SDL_Scancode, int>> named = {
        {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_KP_ENTER, 13},
        {SDL_SCANCODE_LSHIFT, 16}, {SDL_SCANCODE_RSHIFT, 16}, {SDL_SCANCODE_LCTRL, 17}, {SDL_SCANCODE_RCTRL, 17},
        {SDL_SCANCODE_LALT, 18}, {SDL_SCANCODE_RALT, 18}, {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_CAPSLOCK, 20},
        {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34},
        {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38},
        {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_INSERT, 45}, {SDL_SCANCODE_DELETE, 46},
        {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93},
        {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_COMMA, 108},
        {SDL_SCANCODE_KP_MINUS, 109}, {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_KP_DIVIDE, 111},
        {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
        {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_COMMA, 188},
        {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191}, {SDL_SCANCODE_GRAVE, 192},
        {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_RIGHTBRACKET, 221},
        {SDL_SCANCODE_APOSTROPHE, 222},
    };
    for (const auto& [scancode, code] : named) EXPECT_EQ(Us(scancode), code) << SDL_GetScancodeName(scancode);
}

// Every code the game's platform gives, and no other, comes out of some key.
TEST(KeyMapTest, TheCodesAreExactlyThePlatformsCodes) {
    std::set<int> want = {8, 9, 13, 16, 17, 18, 19, 20, 27};
    for (int c = 32; c <= 40; ++c) want.insert(c);
    want.insert({45, 46, 91, 92, 93, 144, 145});
    for (int c = 48; c <= 57; ++c) want.insert(c);
    for (int c = 65; c <= 90; ++c) want.insert(c);
    for (int c = 96; c <= 135; ++c) want.insert(c);
    for (int c = 186; c <= 192; ++c) want.insert(c);
    for (int c = 219; c <= 222; ++c) want.insert(c);
    std::set<int> got;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        const auto scancode = static_cast<SDL_Scancode>(s);
        if (const int code = Us(scancode)) got.insert(code);
        // Letters come from the keycode alone, digits and the rest from the position.
        if (const int code = VirtualKey(scancode, SDL_SCANCODE_TO_KEYCODE(scancode))) got.insert(code);
    }
    EXPECT_EQ(got, want);
}

TEST(KeyMapTest, KeysWithoutACodeAreDropped) {
    for (SDL_Scancode s : {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_PRINTSCREEN, SDL_SCANCODE_NONUSBACKSLASH,
                           SDL_SCANCODE_KP_EQUALS, SDL_SCANCODE_MUTE, SDL_SCANCODE_VOLUMEUP, SDL_SCANCODE_AUDIOPLAY,
                           SDL_SCANCODE_INTERNATIONAL1, SDL_SCANCODE_LANG1, SDL_SCANCODE_SYSREQ, SDL_SCANCODE_MODE})
        EXPECT_EQ(Us(s), 0) << SDL_GetScancodeName(s);
}

TEST(KeyMapTest, LettersFollowTheLayoutAndEverythingElseThePosition) {
    // French AZERTY: the key in the US Q place types "a", the digit row types "&", "é".
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_Q, SDLK_a), 'A');
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_A, SDLK_q), 'Q');
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_SEMICOLON, SDLK_m), 'M');
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_1, SDLK_AMPERSAND), '1');
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_2, 0xE9), '2');
    // Its key in the US M place types ",": the place counts, as for every key that types no letter.
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_M, SDLK_COMMA), 'M');
    // German: the key in the US minus place types "ß", the ISO key beside Enter "#".
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_MINUS, 0xDF), 189);
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_NONUSHASH, SDLK_HASH), 220);
    // A Cyrillic layout types no Latin letter: the position decides.
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_K, 0x43B), 'K');
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_L, 0x434), 'L');
    // Shift or Caps Lock do not change SDL's keycode, so the capital letter is the only one.
    EXPECT_EQ(VirtualKey(SDL_SCANCODE_Q, SDLK_q), 81);
}

} // namespace
