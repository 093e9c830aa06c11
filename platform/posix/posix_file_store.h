#pragma once
#include <sys/types.h>

#include "platform/file_store.h"

struct stat;

namespace platform {

// The system calls the store goes through. Tests swap entries to make them
// fail; the game leaves them as they are.
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
    int (*flock)(int fd, int operation);
    int (*close)(int fd);
    int (*rename)(int fromDirFd, const char* from, int toDirFd, const char* to);
    int (*unlink)(int dirFd, const char* name, int flags);
};

// The plain system calls.
const FileCalls& SystemFileCalls();

// Files on a POSIX file system, Emscripten's included. A file is replaced by
// a new one written beside it and renamed over it, or, where that would
// change what the file is (more than one hard link, a folder that takes no
// new file, an owner the new file cannot be given), overwritten in place.
// Each save first clears the new files that earlier saves of the same file,
// killed part way, left beside it.
class PosixFileStore final : public FileStore {
public:
    // Writing past the file size limit then fails with EFBIG instead of
    // killing the program.
    explicit PosixFileStore(const FileCalls& calls = SystemFileCalls());

    Found Read(const std::filesystem::path& file, const std::function<bool(std::string_view)>& take) override;
    bool Replace(const std::filesystem::path& file, std::string_view bytes) override;

    FileCalls calls;
};

} // namespace platform
