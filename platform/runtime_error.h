#pragma once

namespace platform {

// A run-time error raised to the caller, with the number the game's code would
// see: 5 invalid procedure call, 13 type mismatch, 380 invalid property value,
// 382 property cannot be set while running, 393 cannot be read while running.
struct RuntimeError {
    int number;
};

} // namespace platform
