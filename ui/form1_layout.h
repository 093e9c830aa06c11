#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/window.h"

namespace ui {

// Creates every element of the game window as it is designed, before the game
// arranges it: in the order of the window's description, each on top of the
// ones before it in its container.
void BuildForm1(Window& w);

// Gives each picture holder of the game window (and the window its icon) the
// picture decoded from its file, as `pictureFile` finds it by the holder's full
// name ("Picture3(2)", "autic", "Form1"). Holders without a file keep none.
// Throws std::runtime_error when a file does not decode.
void LoadForm1Pictures(Window& w,
                       const std::function<std::optional<std::vector<uint8_t>>(const std::string& fullName)>& pictureFile);

} // namespace ui
