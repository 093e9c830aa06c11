// trakmor-e2e: the desktop game with the end-to-end tests' hook into its state.
#include <cstdlib>
#include <memory>

#include "app/desktop/desktop_main.h"
#include "test_hook.h"

int main(int argc, char** argv) {
    std::unique_ptr<e2e::TestHook> hook;
    return desktop::Main(argc, argv, [&hook](game::Form1& form, desktop::SdlHost& host) {
        const char* folder = std::getenv("TRAKMOR_TEST_HOOK");
        if (!folder || !*folder) return;
        hook = std::make_unique<e2e::TestHook>(form, folder);
        host.Input().AfterEvents = [&hook](double nowMs) { hook->Poll(nowMs); };
    });
}
