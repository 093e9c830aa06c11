// The display mode comes back on Windows when the game crashes, before the
// crash goes on; a restore that hangs does not keep the crash from ending it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/display_guard.h"

namespace {

void SayRestored() {
    std::fputs("mode restored\n", stderr);
    std::fflush(stderr);
}

LONG WINAPI EndWith42(EXCEPTION_POINTERS*) {
    std::fputs("earlier filter\n", stderr);
    std::fflush(stderr);
    ExitProcess(42);
}

TEST(DisplayGuardWindowsDeathTest, AbortRestoresTheModeAndStillAborts) {
    EXPECT_EXIT(
        {
            platform::InstallDisplayRestoreOnSignals(SayRestored);
            std::abort();
        },
        ::testing::ExitedWithCode(3), "mode restored");
}

TEST(DisplayGuardWindowsDeathTest, ACrashRestoresTheModeThenGoesToTheFilterBefore) {
    EXPECT_EXIT(
        {
            SetUnhandledExceptionFilter(EndWith42);
            platform::InstallDisplayRestoreOnSignals(SayRestored);
            RaiseException(0xE0000001, 0, 0, nullptr);
        },
        ::testing::ExitedWithCode(42), "mode restored\nearlier filter");
}

TEST(DisplayGuardWindowsDeathTest, ARestoreThatHangsDoesNotHoldTheCrash) {
    EXPECT_EXIT(
        {
            platform::InstallDisplayRestoreOnSignals([] { Sleep(INFINITE); });
            std::abort();
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(DisplayGuardWindowsDeathTest, InstallingAgainOnlyReplacesTheRestore) {
    EXPECT_EXIT(
        {
            platform::InstallDisplayRestoreOnSignals([] { std::fputs("first\n", stderr); });
            platform::InstallDisplayRestoreOnSignals(SayRestored);
            std::abort();
        },
        ::testing::ExitedWithCode(3), "^mode restored\n$");
}

} // namespace
