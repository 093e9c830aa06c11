#pragma once
#include <functional>
#include <optional>
#include <string>

#include "headless/headless.h"

namespace game {

// The headless driver's command language: one command a line, one reply line
// each ("ok", "ok VALUE" or "error MESSAGE").
class DriverSession {
public:
    // `readLine` gives the next command line, or nothing at the end of input;
    // `reply` takes each reply line.
    DriverSession(std::function<std::optional<std::string>()> readLine, std::function<void(const std::string&)> reply,
                  std::filesystem::path settingsFile = "Trakmor_B.spd");
    // Runs the script to its end or to `quit`; the exit status.
    int Run();

    HeadlessGame game;

private:
    // Executes one command; returns the virtual microseconds to let pass after it.
    double Execute(const std::string& line);
    std::string Get(const std::string& name);
    void Set(const std::string& name, const std::string& value);
    std::string AsciiRow(int gridRow);

    std::function<std::optional<std::string>()> readLine_;
    std::function<void(const std::string&)> reply_;
    bool quit_ = false;
};

// C escapes for a reply: \r, \n, \t, \\ and \".
std::string Escape(const std::string& text);

} // namespace game
