#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "headless/headless.h"
#include "ui/surface.h"

namespace headless {

// Writes a whole ordinary file; false when it is something else (a device, a
// FIFO) or when any part failed, the close included.
bool WriteWholeFile(const std::string& file, const std::vector<uint8_t>& bytes);

// The frame as a PNG file's bytes; nothing when it cannot be encoded.
std::optional<std::vector<uint8_t>> EncodePng(const ui::Surface& frame);

struct DriverOptions {
    std::filesystem::path settingsFile = "Trakmor_B.spd";
    // The longest `run`: ten minutes of play, a few minutes of work at the fastest gear.
    long long maxRunMs = 600000;
    // Where `screenshot` puts its PNG.
    std::function<bool(const std::string& file, const std::vector<uint8_t>& png)> writeFile = WriteWholeFile;
};

// The headless driver's command language: one command a line, exactly one reply
// line each ("ok", "ok VALUE" or "error MESSAGE"); blank lines and lines starting
// with # are not commands. A command that quits the game answers "ok" first.
class DriverSession {
public:
    // `readLine` gives the next command line, or nothing at the end of input;
    // `reply` takes each reply line.
    DriverSession(std::function<std::optional<std::string>()> readLine, std::function<void(const std::string&)> reply,
                  DriverOptions options = {});
    DriverSession(std::function<std::optional<std::string>()> readLine, std::function<void(const std::string&)> reply,
                  std::filesystem::path settingsFile)
        : DriverSession(std::move(readLine), std::move(reply), DriverOptions{std::move(settingsFile)}) {}
    // Runs the script to its end or to a quit; the exit status.
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
    DriverOptions options_;
    bool quit_ = false;
};

// C escapes for a reply: \r, \n, \t, \\ and \".
std::string Escape(const std::string& text);

} // namespace headless
