// The headless driver, given any bytes as its script: one command a line.
// Each command line must get exactly one reply, "ok..." or "error ...", on
// one line, and nothing may hang, crash or trip a sanitizer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "headless/driver_session.h"

namespace {

std::filesystem::path folder;

bool IsCommand(const std::string& line) {
    return line.find_first_not_of(" \t\r\n\v\f") != std::string::npos && line[0] != '#';
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The settings file lives in a folder of this process's own, emptied before each script.
    char name[] = "/tmp/trakmor-fuzz-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    folder = name;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) std::filesystem::remove_all(entry, ec);

    const std::string_view script(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    size_t commands = 0, replies = 0;
    headless::DriverOptions options;
    options.settingsFile = folder / "Trakmor_B.spd";
    // Short runs keep each script quick (the driver's own bound has a test of
    // its own): at the fastest gear and speed setting a frame is 0.3 ms.
    options.maxRunMs = 500;
    // Screenshots are encoded but go nowhere.
    options.writeFile = [](const std::string&, const std::vector<uint8_t>& png) { return !png.empty(); };
    const headless::DriverSession* self = nullptr;
    headless::DriverSession session(
        [&]() -> std::optional<std::string> {
            // A script ends at its last line or after a second and a half of play.
            if (at >= script.size() || self->game.NowUs() > 1.5e6) return std::nullopt;
            const size_t end = std::min(script.find('\n', at), script.size());
            std::string line(script.substr(at, end - at));
            at = end + 1;
            if (IsCommand(line)) ++commands;
            return line;
        },
        [&](const std::string& reply) {
            ++replies;
            if (reply.find_first_of("\r\n") != std::string::npos ||
                !(reply == "ok" || reply.rfind("ok ", 0) == 0 || reply.rfind("error ", 0) == 0)) {
                std::fprintf(stderr, "bad reply: %s\n", reply.c_str());
                std::abort();
            }
        },
        options);
    self = &session;
    session.game.random.FixSeed(1);
    session.Run();
    if (replies != commands) {
        std::fprintf(stderr, "%zu replies to %zu commands\n", replies, commands);
        std::abort();
    }
    return 0;
}
