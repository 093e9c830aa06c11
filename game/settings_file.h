#pragma once
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

struct stat;

namespace game {

// Reads the first item of a settings file as a 16-bit integer, the way list
// input reads a number: leading blanks skipped, the item ending at a comma, a
// line end or the end of the file. Empty when there is no such number.
std::optional<int16_t> ReadListInteger(std::string_view content);

// Replaces the contents of the settings file with bytes, silently doing
// nothing where that cannot be done safely. A symlinked file is written at the
// file the link names. The file keeps its identity (mode, owner, hard links)
// and at no moment reads as anything but the old or the new contents.
void WriteSettingsFile(const std::filesystem::path& file, std::string_view bytes);

// The system calls the settings file goes through. Tests swap entries to make
// them fail; the game leaves them as they are.
struct FileCalls {
    int (*open)(int dirFd, const char* name, int flags, mode_t mode);
    int (*fstat)(int fd, struct stat* st);
    ssize_t (*read)(int fd, void* buf, size_t count);
    ssize_t (*pread)(int fd, void* buf, size_t count, off_t offset);
    ssize_t (*write)(int fd, const void* buf, size_t count);
    ssize_t (*pwrite)(int fd, const void* buf, size_t count, off_t offset);
    int (*ftruncate)(int fd, off_t length);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(int fromDirFd, const char* from, int toDirFd, const char* to);
    int (*unlink)(int dirFd, const char* name, int flags);
};

// The plain system calls.
const FileCalls& SystemFileCalls();
// The calls in use.
FileCalls& SettingsFileCalls();

} // namespace game
