// trakmor-driver: the real game window with no display, scripted on standard
// input (one command a line, one reply line each).
#include <cstring>
#include <iostream>
#include <string>

#include "headless/driver_session.h"

int main(int argc, char** argv) {
    const bool echo = argc > 1 && std::strcmp(argv[1], "--echo") == 0;
    std::string pending;
    headless::DriverSession session(
        [&]() -> std::optional<std::string> {
            std::string line;
            if (!std::getline(std::cin, line)) return std::nullopt;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            pending = line;
            return line;
        },
        [&](const std::string& reply) {
            if (echo) std::cout << pending << " => ";
            std::cout << reply << '\n' << std::flush;
        });
    return session.Run();
}
