#include "app/command_line.h"

#include <string_view>

#ifndef TRAKMOR_VERSION
#error "TRAKMOR_VERSION is given by the build"
#endif

namespace app {

CommandLineRequest ParseCommandLine(int argc, const char* const* argv) {
    if (argc <= 1) return CommandLineRequest::Play;
    if (argc > 2) return CommandLineRequest::Refuse;
    const std::string_view argument = argv[1];
    if (argument == "--help") return CommandLineRequest::Help;
    if (argument == "--version") return CommandLineRequest::Version;
    return CommandLineRequest::Refuse;
}

std::string VersionText() { return "Trakmor " TRAKMOR_VERSION "\n"; }

std::string UsageText() {
    return "Usage: trakmor [--help | --version]\n"
           "\n"
           "A car driving game. Without options it opens the game window.\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the name and version and exit\n"
           "\n"
           "Keys:\n"
           "  Q    gear up\n"
           "  A    gear down\n"
           "  K    steer left\n"
           "  L    steer right\n"
           "  Esc  game menu (speed setting, Save, New Game, Quit)\n"
           "  F11  switch between the window and the whole screen; Alt+Enter too\n"
           "\n"
           "Gamepad:\n"
           "  d-pad or left stick  steer\n"
           "  A or right trigger   gear up\n"
           "  B or left trigger    gear down\n"
           "  Start or Back        game menu\n"
           "  On the intro screen and in the menus the d-pad's up and down move\n"
           "  between the buttons and A presses one.\n"
           "\n"
           "The speed setting is kept in Trakmor_B.spd in the current directory.\n";
}

std::optional<int> HandleCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    switch (ParseCommandLine(argc, argv)) {
    case CommandLineRequest::Play:
        return std::nullopt;
    case CommandLineRequest::Help:
        out << UsageText();
        break;
    case CommandLineRequest::Version:
        out << VersionText();
        break;
    case CommandLineRequest::Refuse:
        if (argc > 2)
            err << "trakmor: too many arguments\n";
        else
            err << "trakmor: unknown argument '" << argv[1] << "'\n";
        err << UsageText();
        return 2;
    }
    // A reply that could not be written (a full disk, a closed pipe) is a failure.
    return out.flush() ? 0 : 1;
}

}  // namespace app
