// The speed setting kept between runs.
#include "game/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "game/form1.h"

namespace game {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::optional<int16_t> ReadListInteger(std::string_view content) {
    size_t i = 0;
    while (i < content.size() && IsBlank(content[i])) ++i;
    size_t end = i;
    while (end < content.size() && content[end] != ',' && content[end] != '\r' && content[end] != '\n') ++end;
    std::string_view item = content.substr(i, end - i);
    while (!item.empty() && IsBlank(item.back())) item.remove_suffix(1);
    if (item.empty()) return std::nullopt;

    size_t p = 0;
    bool negative = false;
    if (item[p] == '+' || item[p] == '-') negative = item[p++] == '-';
    double value = 0;
    size_t digits = 0;
    for (; p < item.size() && item[p] >= '0' && item[p] <= '9'; ++p, ++digits) {
        value = value * 10 + (item[p] - '0');
        if (value > 1e6) return std::nullopt;  // far beyond 16 bits: an overflow
    }
    if (p < item.size() && item[p] == '.') {
        double scale = 0.1;
        for (++p; p < item.size() && item[p] >= '0' && item[p] <= '9'; ++p, ++digits, scale /= 10)
            value += (item[p] - '0') * scale;
    }
    if (digits == 0 || p != item.size()) return std::nullopt;
    // Whole numbers are taken as integers; fractions round half to even.
    value = std::nearbyint(negative ? -value : value);
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<int16_t>(value);
}

namespace {

FileCalls& Calls() { return SettingsFileCalls(); }

// A descriptor that is closed when it goes.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
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
        return fd < 0 || Calls().close(fd) == 0;
    }

private:
    int fd_ = -1;
};

int OpenAt(int dirFd, const char* name, int flags, mode_t mode = 0) {
    int fd;
    do fd = Calls().open(dirFd, name, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = Calls().write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// How many of bytes went in at offset 0 before a failure.
size_t WriteAtStart(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = Calls().pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

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

// Writes a new file beside the old one and renames it over it, so that the
// name holds the whole old or the whole new file at every moment, even when
// the machine stops. Failed: the new file could not be written, the old one
// stays. NotThisWay: the folder takes no new file, or the new one could not
// be given the old one's owner.
Replaced ReplaceFile(int folder, const std::string& name, std::string_view bytes, const struct stat* old) {
    // Never through a link, never waiting on a FIFO: only a file made here
    // and now is written. Whatever holds the name is left as it is.
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const mode_t mode = old ? (old->st_mode & 07777) : 0666;
    std::string tmpName = name + ".new";
    int fd = OpenAt(folder, tmpName.c_str(), flags, mode);
    for (int tries = 0; fd < 0 && errno == EEXIST && tries < 100; ++tries) {
        tmpName = name + ".new-" + FreshSuffix();
        fd = OpenAt(folder, tmpName.c_str(), flags, mode);
    }
    if (fd < 0) return Replaced::NotThisWay;
    Fd tmp(fd);
    auto discard = [&] {
        tmp.Close();
        Calls().unlink(folder, tmpName.c_str(), 0);
    };

    if (old) {
        struct stat made {};
        if (Calls().fstat(tmp.get(), &made) != 0 ||
            ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
             Calls().fchown(tmp.get(), old->st_uid, old->st_gid) != 0) ||
            Calls().fchmod(tmp.get(), mode) != 0) {  // the mode as it was, whatever the umask
            discard();
            return Replaced::NotThisWay;
        }
    }
    if (!WriteAll(tmp.get(), bytes) || Calls().fsync(tmp.get()) != 0 || !tmp.Close()) {
        discard();
        return Replaced::Failed;
    }
    if (Calls().rename(folder, tmpName.c_str(), folder, name.c_str()) != 0) {
        discard();  // refused, as a sticky folder does: the file may still be writable
        return Replaced::NotThisWay;
    }
    Calls().fsync(folder);  // makes the rename itself last
    return Replaced::Yes;
}

// Writes the few bytes over the start of the file, then cuts it to their
// length. Until the cut the file holds the new line and after it the rest of
// the old contents; the new line ends the first item, so the file reads as
// the new value throughout. A write that stops part way is undone.
void OverwriteInPlace(int fd, std::string_view bytes, bool readable) {
    std::string before(bytes.size(), '\0');
    ssize_t had = -1;
    if (readable) {
        do had = Calls().pread(fd, before.data(), before.size(), 0);
        while (had < 0 && errno == EINTR);
    }
    const size_t done = WriteAtStart(fd, bytes);
    if (done < bytes.size()) {
        if (done > 0 && had >= 0) {
            before.resize(static_cast<size_t>(had));
            WriteAtStart(fd, std::string_view(before).substr(0, done));
            if (static_cast<size_t>(had) < done) Calls().ftruncate(fd, had);
        }
        return;
    }
    Calls().ftruncate(fd, static_cast<off_t>(bytes.size()));
    Calls().fsync(fd);
}

constexpr size_t kHeadBytes = 65536;

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
        [](int fd) { return ::close(fd); },
        [](int fromDir, const char* from, int toDir, const char* to) { return ::renameat(fromDir, from, toDir, to); },
        [](int dirFd, const char* name, int flags) { return ::unlinkat(dirFd, name, flags); },
    };
    return calls;
}

FileCalls& SettingsFileCalls() {
    static FileCalls calls = SystemFileCalls();
    return calls;
}

void WriteSettingsFile(const std::filesystem::path& file, std::string_view bytes) {
    const std::optional<std::filesystem::path> target = FinalTarget(file);
    if (!target || !target->has_filename()) return;
    const std::string name = target->filename().string();
    const std::filesystem::path folderPath = target->has_parent_path() ? target->parent_path() : ".";
    Fd folder(OpenAt(AT_FDCWD, folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder the player may write but not list still takes the file.
    if (!folder.valid()) folder.reset(OpenAt(AT_FDCWD, folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return;

    struct stat st {};
    Fd old;
    bool readable = false;
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        // Only an ordinary file is opened for writing: a FIFO would wait for
        // a reader, a device would take the bytes.
        if (!S_ISREG(st.st_mode)) return;
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        int fd = OpenAt(folder.get(), name.c_str(), O_RDWR | flags);
        readable = fd >= 0;
        if (fd < 0 && errno == EACCES) fd = OpenAt(folder.get(), name.c_str(), O_WRONLY | flags);
        // A file the player may not write stays as it is, as it would where
        // opening it for output fails.
        if (fd < 0) return;
        old.reset(fd);
        if (Calls().fstat(old.get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    } else if (errno != ENOENT) {
        return;
    }

    // A file with more than one name stays one file only when written in place.
    if (!old.valid() || st.st_nlink <= 1) {
        if (ReplaceFile(folder.get(), name, bytes, old.valid() ? &st : nullptr) != Replaced::NotThisWay) return;
    }
    if (old.valid()) OverwriteInPlace(old.get(), bytes, readable);
}

void Form1::SaveSpeed() { WriteSettingsFile(settingsFile_, std::to_string(VScrollbar1.Value()) + "\r\n"); }

void Form1::LoadSpeed() {
    // Only an ordinary file counts. It is opened without waiting and looked at
    // again once open, so a FIFO put there meanwhile cannot hold up the game.
    struct stat st {};
    bool isFile = ::stat(settingsFile_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    Fd in;
    if (isFile) {
        in.reset(OpenAt(AT_FDCWD, settingsFile_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (in.valid()) isFile = Calls().fstat(in.get(), &st) == 0 && S_ISREG(st.st_mode);
    }
    if (!isFile) {
        sp.SetCaption("100");
        VScrollbar1.TrySetValue(401);
        return;
    }
    int16_t v = 0;
    if (in.valid()) {  // a file that cannot be read gives no number
        // Only the first item matters; a huge file is not read whole. Blanks
        // before it may run on for any length, so they are passed over first.
        std::string head;
        char chunk[4096];
        while (head.size() < kHeadBytes) {
            const ssize_t n = Calls().read(in.get(), chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            std::string_view got(chunk, static_cast<size_t>(n));
            if (head.empty()) {
                while (!got.empty() && IsBlank(got.front())) got.remove_prefix(1);
            }
            head.append(got.substr(0, kHeadBytes - head.size()));
        }
        if (auto read = ReadListInteger(head)) v = *read;
    }
    VScrollbar1.TrySetValue(v);
    VScrollbar1_change();
}

} // namespace game
