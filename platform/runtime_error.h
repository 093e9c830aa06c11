#pragma once

namespace platform {

// A run-time error raised to the caller, with the number the game's code would
// see (382: property cannot be set while running, 393: cannot be read while running).
struct RuntimeError {
    int number;
};

} // namespace platform
