// The program's only options: --help and --version. Without arguments the game starts.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace app {

enum class CommandLineRequest { Play, Help, Version, Refuse };

// Looks at argv[1..argc-1]; argv[0] is the program's own name and is ignored.
CommandLineRequest ParseCommandLine(int argc, const char* const* argv);

std::string VersionText();  // "Trakmor 1.0.0\n"
std::string UsageText();    // the usage line, the options and the keys

// Answers --help and --version on out, refuses anything else with the usage on err.
// Returns the exit status when the program should end here, nothing when the game is to start.
std::optional<int> HandleCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace app
