#include "app/desktop/windows_console.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

namespace desktop {

namespace {
bool Goes(DWORD which) {
    const HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}
} // namespace

void UseParentConsole() {
    const bool out = Goes(STD_OUTPUT_HANDLE), err = Goes(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out && std::freopen("CONOUT$", "w", stdout)) std::cout.clear();
    if (!err && std::freopen("CONOUT$", "w", stderr)) std::cerr.clear();
}

} // namespace desktop
