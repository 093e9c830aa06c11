#pragma once
// The file store of the system the game is built for.
#ifdef _WIN32
#include "platform/windows/windows_file_store.h"
namespace platform {
using NativeFileStore = WindowsFileStore;
}
#else
#include "platform/posix/posix_file_store.h"
namespace platform {
using NativeFileStore = PosixFileStore;
}
#endif
