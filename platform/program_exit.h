#pragma once

namespace platform {

// Ends the program once its closing steps are done. It unwinds every handler,
// wait and nested loop on its way out, so a routine that turns failures into a
// result must let it pass; it is deliberately no std::exception.
struct ProgramExit {
    int exitStatus = 0;
};

} // namespace platform
