// Replacing and reading files on POSIX.
#include "platform/posix/posix_file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

namespace {

// A descriptor that is closed when it goes.
class Fd {
public:
    explicit Fd(const FileCalls& calls, int fd = -1) : calls_(calls), fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd) {
        Close();
        fd_ = fd;
    }
    // Closes now. False when close reports an error: the data may not have
    // reached the file, though the descriptor is gone either way.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || calls_.close(fd) == 0;
    }

private:
    const FileCalls& calls_;
    int fd_ = -1;
};

// A name nobody is likely to have taken, for when the first choice is.
std::string FreshSuffix() {
    static std::atomic<uint64_t> count{0};
    uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (static_cast<uint64_t>(getpid()) << 40) ^ (++count * 0x9E3779B97F4A7C15ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(x));
    return text;
}

constexpr std::string_view kTemporary = ".new";
constexpr size_t kSuffixDigits = 16;

// Whether entry is one of the names a save of `name` writes its new file at:
// name.new, or name.new- and the digits of FreshSuffix.
bool IsTemporaryName(std::string_view entry, std::string_view name) {
    if (entry.substr(0, name.size()) != name) return false;
    entry.remove_prefix(name.size());
    if (entry.substr(0, kTemporary.size()) != kTemporary) return false;
    entry.remove_prefix(kTemporary.size());
    if (entry.empty()) return true;
    if (entry.size() != 1 + kSuffixDigits || entry[0] != '-') return false;
    for (const char c : entry.substr(1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// What a killed save leaves looks like this: an ordinary file with no other
// name, the user's own.
bool MayBeOurLeftover(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == geteuid();
}

// The file a path names once its links are followed, as opening it would find
// it; a missing file at the end of the links is fine, a loop of links is not.
std::optional<std::filesystem::path> FinalTarget(std::filesystem::path path) {
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) return std::nullopt;
        target.resize(static_cast<size_t>(n));
        path = path.parent_path() / target;  // an absolute target stands alone
    }
    return std::nullopt;
}

enum class Replaced { Yes, Failed, NotThisWay };

// The steps of reading and saving, each through the calls in use.
class Steps {
public:
    explicit Steps(const FileCalls& calls) : c_(calls) {}

    int OpenAt(int dirFd, const char* name, int flags, mode_t mode = 0) const {
        int fd;
        do fd = c_.open(dirFd, name, flags, mode);
        while (fd < 0 && errno == EINTR);
        return fd;
    }

    int Lock(int fd) const {
        int r;
        do r = c_.flock(fd, LOCK_EX | LOCK_NB);
        while (r != 0 && errno == EINTR);
        return r;
    }

    // Removes the temporary files of `name` that earlier saves, killed part
    // way, left in the folder; see RemoveIfLeftover for what counts as one.
    void ClearLeftovers(int folder, const std::string& name) const {
        std::vector<std::string> names;
        const int listing = OpenAt(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr) {
            while (const dirent* e = ::readdir(dir))
                if (IsTemporaryName(e->d_name, name)) names.emplace_back(e->d_name);
            ::closedir(dir);
        } else {
            if (listing >= 0) c_.close(listing);
            names.push_back(name + std::string(kTemporary));  // a folder that cannot be listed: the usual name
        }
        for (const std::string& entry : names) RemoveIfLeftover(folder, entry);
    }

    // Writes a new file beside the old one and renames it over it, so that the
    // name holds the whole old or the whole new file at every moment, even when
    // the machine stops. Failed: the new file could not be written, the old one
    // stays. NotThisWay: the folder takes no new file, or the new one could not
    // be given the old one's owner.
    Replaced ReplaceFile(int folder, const std::string& name, std::string_view bytes, const struct stat* old) const {
        // Never through a link, never waiting on a FIFO: only a file made here
        // and now is written. Whatever holds the name is left as it is.
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        const mode_t mode = old ? (old->st_mode & 07777) : 0666;
        Fd tmp(c_);
        std::string tmpName;
        struct stat made {};
        for (int tries = 0; !tmp.valid(); ++tries) {
            if (tries > 100) return Replaced::NotThisWay;
            tmpName = name + std::string(kTemporary) + (tries == 0 ? "" : "-" + FreshSuffix());
            tmp.reset(OpenAt(folder, tmpName.c_str(), flags, mode));
            if (!tmp.valid()) {
                if (errno == EEXIST) continue;
                return Replaced::NotThisWay;
            }
            // Locked while it is ours, so that another copy of the game clearing
            // leftovers leaves it alone. Where the file system has no locks,
            // nobody takes it for a leftover either.
            if (Lock(tmp.get()) != 0 && errno == EWOULDBLOCK) {
                tmp.Close();  // taken for a leftover between making and locking: its taker removes it
                continue;
            }
            if (c_.fstat(tmp.get(), &made) != 0) {
                tmp.Close();
                c_.unlink(folder, tmpName.c_str(), 0);
                return Replaced::NotThisWay;
            }
            if (made.st_nlink == 0) tmp.Close();  // removed as a leftover before it was locked
        }
        // The lock lasts while any copy of the descriptor is open: this one
        // keeps it from the checked close to the rename.
        Fd keep(c_, ::fcntl(tmp.get(), F_DUPFD_CLOEXEC, 0));
        auto discard = [&] {
            tmp.Close();
            c_.unlink(folder, tmpName.c_str(), 0);
        };

        if (old && (((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
                     c_.fchown(tmp.get(), old->st_uid, old->st_gid) != 0) ||
                    c_.fchmod(tmp.get(), mode) != 0)) {  // the mode as it was, whatever the umask
            discard();
            return Replaced::NotThisWay;
        }
        if (!WriteAll(tmp.get(), bytes) || c_.fsync(tmp.get()) != 0 || !tmp.Close()) {
            discard();
            return Replaced::Failed;
        }
        if (c_.rename(folder, tmpName.c_str(), folder, name.c_str()) != 0) {
            discard();  // refused, as a sticky folder does: the file may still be writable
            return Replaced::NotThisWay;
        }
        c_.fsync(folder);  // makes the rename itself last
        return Replaced::Yes;
    }

    // Writes the few bytes over the start of the file, then cuts it to their
    // length. Until the cut the file holds the new line and after it the rest of
    // the old contents; the new line ends the first item, so the file reads as
    // the new value throughout. A write that stops part way is undone.
    bool OverwriteInPlace(int fd, std::string_view bytes, bool readable) const {
        // The file size limit would cut the write short, and a file that cannot
        // be read back could not have its start put back: no write is started.
        struct rlimit limit {};
        if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && bytes.size() > limit.rlim_cur)
            return false;
        std::string before(bytes.size(), '\0');
        ssize_t had = -1;
        if (readable) {
            do had = c_.pread(fd, before.data(), before.size(), 0);
            while (had < 0 && errno == EINTR);
        }
        const size_t done = WriteAtStart(fd, bytes);
        if (done < bytes.size()) {
            if (done > 0 && had >= 0) {
                before.resize(static_cast<size_t>(had));
                WriteAtStart(fd, std::string_view(before).substr(0, done));
                if (static_cast<size_t>(had) < done) c_.ftruncate(fd, had);
            }
            return false;
        }
        if (c_.ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return false;
        c_.fsync(fd);
        return true;
    }

private:
    bool WriteAll(int fd, std::string_view bytes) const {
        while (!bytes.empty()) {
            const ssize_t n = c_.write(fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // How many of bytes went in at offset 0 before a failure.
    size_t WriteAtStart(int fd, std::string_view bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = c_.pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        return done;
    }

    // Removes entry only when it is certainly what a killed save of ours left:
    // an ordinary file with one name, the user's own, at our temporary name,
    // and not locked. A save at work holds its file locked, and a killed one's
    // lock went with it. Links are never followed and nothing else is opened.
    void RemoveIfLeftover(int folder, const std::string& entry) const {
        struct stat seen {};
        if (::fstatat(folder, entry.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !MayBeOurLeftover(seen)) return;
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        Fd fd(c_, OpenAt(folder, entry.c_str(), O_RDONLY | flags));
        if (!fd.valid() && errno == EACCES) fd.reset(OpenAt(folder, entry.c_str(), O_WRONLY | flags));
        struct stat st {};
        if (!fd.valid() || c_.fstat(fd.get(), &st) != 0 || !SameFile(st, seen) || !MayBeOurLeftover(st)) return;
        if (Lock(fd.get()) != 0) return;  // in use, or no locks here to tell
        // Only the file that was locked goes, not one that took the name since.
        if (::fstatat(folder, entry.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(seen, st)) return;
        c_.unlink(folder, entry.c_str(), 0);
    }

    const FileCalls& c_;
};

} // namespace

const FileCalls& SystemFileCalls() {
    static const FileCalls calls{
        [](int dirFd, const char* name, int flags, mode_t mode) { return ::openat(dirFd, name, flags, mode); },
        [](int fd, struct stat* st) { return ::fstat(fd, st); },
        [](int fd, void* buf, size_t count) { return ::read(fd, buf, count); },
        [](int fd, void* buf, size_t count, off_t offset) { return ::pread(fd, buf, count, offset); },
        [](int fd, const void* buf, size_t count) { return ::write(fd, buf, count); },
        [](int fd, const void* buf, size_t count, off_t offset) { return ::pwrite(fd, buf, count, offset); },
        [](int fd, off_t length) { return ::ftruncate(fd, length); },
        [](int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); },
        [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
        [](int fd) { return ::fsync(fd); },
        [](int fd, int operation) { return ::flock(fd, operation); },
        [](int fd) { return ::close(fd); },
        [](int fromDir, const char* from, int toDir, const char* to) { return ::renameat(fromDir, from, toDir, to); },
        [](int dirFd, const char* name, int flags) { return ::unlinkat(dirFd, name, flags); },
    };
    return calls;
}

PosixFileStore::PosixFileStore(const FileCalls& fileCalls) : calls(fileCalls) {
    // SIGXFSZ would kill the program in the middle of a write past the limit,
    // leaving whatever part of the file it had written. A handler someone
    // installed is theirs to keep.
    struct sigaction now {};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && !(now.sa_flags & SA_SIGINFO) && now.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

FileStore::Found PosixFileStore::Read(const std::filesystem::path& file,
                                      const std::function<bool(std::string_view)>& take) {
    // Only an ordinary file counts. It is opened without waiting and looked at
    // again once open, so a FIFO put there meanwhile cannot hold anything up.
    const Steps steps(calls);
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Found::NoFile;
    Fd in(calls, steps.OpenAt(AT_FDCWD, file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.valid()) return Found::Unreadable;
    if (calls.fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Found::NoFile;
    char chunk[4096];
    for (;;) {
        const ssize_t n = calls.read(in.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Found::Unreadable;
        if (n == 0 || !take(std::string_view(chunk, static_cast<size_t>(n)))) return Found::Read;
    }
}

bool PosixFileStore::Replace(const std::filesystem::path& file, std::string_view bytes) {
    const Steps steps(calls);
    const std::optional<std::filesystem::path> target = FinalTarget(file);
    if (!target || !target->has_filename()) return false;
    const std::string name = target->filename().string();
    const std::filesystem::path folderPath = target->has_parent_path() ? target->parent_path() : ".";
    Fd folder(calls, steps.OpenAt(AT_FDCWD, folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder the player may write but not list still takes the file.
    if (!folder.valid()) folder.reset(steps.OpenAt(AT_FDCWD, folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return false;

    struct stat st {};
    Fd old(calls);
    bool readable = false;
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        // Only an ordinary file is opened for writing: a FIFO would wait for
        // a reader, a device would take the bytes.
        if (!S_ISREG(st.st_mode)) return false;
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        int fd = steps.OpenAt(folder.get(), name.c_str(), O_RDWR | flags);
        readable = fd >= 0;
        if (fd < 0 && errno == EACCES) fd = steps.OpenAt(folder.get(), name.c_str(), O_WRONLY | flags);
        // A file the player may not write stays as it is, as it would where
        // opening it for output fails.
        if (fd < 0) return false;
        old.reset(fd);
        if (calls.fstat(old.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    } else if (errno != ENOENT) {
        return false;
    }

    steps.ClearLeftovers(folder.get(), name);
    // A file with more than one name stays one file only when written in place.
    if (!old.valid() || st.st_nlink <= 1) {
        const Replaced r = steps.ReplaceFile(folder.get(), name, bytes, old.valid() ? &st : nullptr);
        if (r != Replaced::NotThisWay) return r == Replaced::Yes;
    }
    return old.valid() && steps.OverwriteInPlace(old.get(), bytes, readable);
}

} // namespace platform
