// trakmor-e2e: the desktop game with the end-to-end tests' hook into its state,
// and with TRAKMOR_TEST_ROAD=straight an empty straight road (every draw the
// same), so that a long ride at top speed never leaves it.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/desktop/desktop_main.h"
#include "test_hook.h"

namespace {
class StraightRoad final : public platform::Random {
public:
    double Rnd() override { return 0.4; }
    void Reseed() override {}
};
} // namespace

int main(int argc, char** argv) {
    std::unique_ptr<e2e::TestHook> hook;
    StraightRoad straight;
    const char* road = std::getenv("TRAKMOR_TEST_ROAD");
    desktop::Additions additions;
    additions.wired = [&hook](game::Form1& form, desktop::SdlHost& host) {
        const char* folder = std::getenv("TRAKMOR_TEST_HOOK");
        if (!folder || !*folder) return;
        hook = std::make_unique<e2e::TestHook>(form, folder);
        host.Input().AfterEvents = [&hook](double nowMs) { hook->Poll(nowMs); };
    };
    // The hook reads the window and its wake-up timer posts SDL events: it
    // must be gone before either is.
    additions.ended = [&hook] { hook.reset(); };
    if (road && std::strcmp(road, "straight") == 0) additions.random = &straight;
    return desktop::Main(argc, argv, additions);
}
