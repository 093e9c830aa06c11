#pragma once
#include <filesystem>
#include <string>

namespace game {
class Form1;
}

namespace e2e {

// Lets an end-to-end test read and set the game's state in the real window,
// in the test build of the game (trakmor-e2e) alone. When TRAKMOR_TEST_HOOK
// names a folder, a file "request" put there
// (renamed into place whole) holds commands, one a line, "get NAME" or
// "set NAME VALUE"; the answers, "ok [VALUE]" or "error", one a line, appear
// as "reply" in the same folder, and the request is removed. A timer wakes the
// window's waits, so requests are answered even while nothing else happens.
class TestHook {
public:
    TestHook(game::Form1& form, std::filesystem::path folder);
    ~TestHook();
    TestHook(const TestHook&) = delete;
    TestHook& operator=(const TestHook&) = delete;
    // Looks for a request at most every few milliseconds of `nowMs`.
    void Poll(double nowMs);
    std::string Execute(const std::string& line);

private:
    game::Form1& form_;
    std::filesystem::path folder_;
    double nextLookMs_ = 0;
    int wakeTimer_ = 0;
};

} // namespace e2e
