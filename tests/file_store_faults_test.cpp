// Replacing and reading a file when system calls fail: every failure leaves a
// file that holds the old or the new contents, and reading never waits.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "file_store_test_support.h"

using file_support::AsOrdinaryUser;
using file_support::Found;
using file_support::GiveToPlayer;
using file_support::Loaded;
using file_support::LStat;
using file_support::ModeOf;
using file_support::ReadFile;
using file_support::ReturnsByItself;
using file_support::WriteFile;

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const platform::FileCalls& Sys() { return platform::SystemFileCalls(); }

// Runs body in a child process: its exit status, or 128 and the signal that
// ended it.
int InChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// ---------------------------------------------------------------------------
// One failure at the n-th call, whichever call that is.

enum class Fault {
    Error,        // the call fails with EIO
    Short,        // a read or write moves one byte only
    Interrupted,  // the call fails with EINTR
    Kill,         // the process is killed as the call is made
};

struct Injector {
    static inline int calls = 0;
    static inline int failAt = 0;  // 0: none
    static inline Fault fault = Fault::Error;
    static inline std::string hit;  // the call that was made to fail
    static inline std::vector<std::string> made;  // every call counted, in order

    static void Arm(int at, Fault kind) {
        calls = 0;
        failAt = at;
        fault = kind;
        hit.clear();
        made.clear();
    }
    // Whether this call is the one to fail. A short transfer only applies to
    // reads and writes, so only they are counted for it.
    static bool Now(const char* name, bool transfer) {
        if (fault == Fault::Short && !transfer) return false;
        made.push_back(name);
        if (++calls != failAt) return false;
        hit = name;
        return true;
    }
    template <typename T>
    static T Fail() {
        if (fault == Fault::Kill) raise(SIGKILL);
        errno = fault == Fault::Interrupted ? EINTR : EIO;
        return static_cast<T>(-1);
    }
};

platform::FileCalls CountedCalls() {
    platform::FileCalls c{};
    c.open = [](int d, const char* n, int fl, mode_t m) {
        return Injector::Now("open", false) ? Injector::Fail<int>() : Sys().open(d, n, fl, m);
    };
    c.fstat = [](int fd, struct stat* st) {
        return Injector::Now("fstat", false) ? Injector::Fail<int>() : Sys().fstat(fd, st);
    };
    c.read = [](int fd, void* b, size_t n) -> ssize_t {
        if (!Injector::Now("read", true)) return Sys().read(fd, b, n);
        return Injector::fault == Fault::Short ? Sys().read(fd, b, n > 0 ? 1 : 0) : Injector::Fail<ssize_t>();
    };
    c.pread = [](int fd, void* b, size_t n, off_t at) -> ssize_t {
        if (!Injector::Now("pread", true)) return Sys().pread(fd, b, n, at);
        return Injector::fault == Fault::Short ? Sys().pread(fd, b, n > 0 ? 1 : 0, at) : Injector::Fail<ssize_t>();
    };
    c.write = [](int fd, const void* b, size_t n) -> ssize_t {
        if (!Injector::Now("write", true)) return Sys().write(fd, b, n);
        return Injector::fault == Fault::Short ? Sys().write(fd, b, n > 0 ? 1 : 0) : Injector::Fail<ssize_t>();
    };
    c.pwrite = [](int fd, const void* b, size_t n, off_t at) -> ssize_t {
        if (!Injector::Now("pwrite", true)) return Sys().pwrite(fd, b, n, at);
        return Injector::fault == Fault::Short ? Sys().pwrite(fd, b, n > 0 ? 1 : 0, at) : Injector::Fail<ssize_t>();
    };
    c.ftruncate = [](int fd, off_t len) {
        return Injector::Now("ftruncate", false) ? Injector::Fail<int>() : Sys().ftruncate(fd, len);
    };
    c.fchown = [](int fd, uid_t u, gid_t g) {
        return Injector::Now("fchown", false) ? Injector::Fail<int>() : Sys().fchown(fd, u, g);
    };
    c.fchmod = [](int fd, mode_t m) {
        return Injector::Now("fchmod", false) ? Injector::Fail<int>() : Sys().fchmod(fd, m);
    };
    // What reaches the disk is not looked at here, and hundreds of saves
    // waiting for it would make the test slow.
    c.fsync = [](int) { return Injector::Now("fsync", false) ? Injector::Fail<int>() : 0; };
    c.flock = [](int fd, int op) { return Injector::Now("flock", false) ? Injector::Fail<int>() : Sys().flock(fd, op); };
    c.close = [](int fd) {
        const int r = Sys().close(fd);  // the descriptor goes even when close reports an error
        return Injector::Now("close", false) ? Injector::Fail<int>() : r;
    };
    c.rename = [](int fd, const char* a, int td, const char* b) {
        return Injector::Now("rename", false) ? Injector::Fail<int>() : Sys().rename(fd, a, td, b);
    };
    c.unlink = [](int d, const char* n, int fl) {
        return Injector::Now("unlink", false) ? Injector::Fail<int>() : Sys().unlink(d, n, fl);
    };
    return c;
}

// A folder as a player may have it, with the settings file in some state.
struct Scene {
    const char* name;
    std::string old;          // the file's contents before, empty for no file
    std::function<void(const fs::path& folder, const fs::path& target)> make;
    fs::path target = "Trakmor_B.spd";  // where the contents live, from the folder
    bool asPlayer = false;
    fs::path leftover = {};  // what an earlier save that was killed left, from the folder
};

class FileFaultTest : public file_support::FileStoreTest {};

// Each call fails in turn, or the process is killed as it is made. The file
// holds the old or the new contents after each, and the next save clears
// whatever temporary file the broken one left.
TEST_F(FileFaultTest, EveryCallFailingInTurnLeavesTheOldOrTheNewContents) {
    const std::string fresh = "1\r\n", next = "2\r\n";
    const std::vector<Scene> scenes = {
        {"no file yet", "", [](const fs::path&, const fs::path&) {}},
        {"a plain file", "301\r\n",
         [](const fs::path&, const fs::path& t) { ASSERT_EQ(chmod(t.c_str(), 0640), 0); }},
        {"a name taken by a link", "301\r\n",
         [](const fs::path& d, const fs::path&) { fs::create_symlink("/nonexistent", d / "Trakmor_B.spd.new"); }},
        {"a symlinked file", "  250,7\r\nmore\r\n",
         [](const fs::path& d, const fs::path&) { fs::create_symlink("sub/real.spd", d / "Trakmor_B.spd"); },
         "sub/real.spd"},
        {"a hard-linked file", "301\r\n" + std::string(100, 'x'),
         [](const fs::path& d, const fs::path& t) { fs::create_hard_link(t, d / "twin.spd"); }},
        {"a read-only folder", "32767\r\n",
         [](const fs::path& d, const fs::path& t) {
             GiveToPlayer(d);
             GiveToPlayer(t);
             ASSERT_EQ(chmod(d.c_str(), 0555), 0);
         },
         "Trakmor_B.spd", true},
        {"a leftover of a killed save", "301\r\n",
         [](const fs::path& d, const fs::path&) { WriteFile(d / "Trakmor_B.spd.new", "500\r\n"); }, "Trakmor_B.spd",
         false, "Trakmor_B.spd.new"},
    };
    int injections = 0;
    std::set<std::string> reached;
    for (const Scene& setup : scenes) {
        int run = 0;
        std::vector<std::string> callNames;  // of a save that goes through
        // Builds the setup in a folder of its own and saves into it.
        auto saveOnce = [&](int failAt, Fault kind) {
            const fs::path folder = dir.path() / ("run" + std::to_string(run++));
            fs::create_directories(folder / "sub");
            const fs::path target = folder / setup.target;
            if (!setup.old.empty()) WriteFile(target, setup.old);
            setup.make(folder, target);
            auto entries = [&] {
                std::set<std::string> names;
                for (const auto& e : fs::recursive_directory_iterator(folder)) names.insert(e.path().string());
                return names;
            };
            const std::set<std::string> before = entries();
            const mode_t mode = setup.old.empty() ? 0 : ModeOf(target);
            const ino_t inode = setup.old.empty() ? 0 : LStat(target).st_ino;
            auto save = [&] {
                std::optional<AsOrdinaryUser> user;
                if (setup.asPlayer) user.emplace();
                Injector::Arm(failAt, kind);
                platform::PosixFileStore counted(CountedCalls());
                counted.Replace(folder / "Trakmor_B.spd", fresh);
            };
            std::string where;
            if (kind == Fault::Kill) {
                const int ended = InChild([&] {
                    save();
                    return 0;
                });
                where = std::string(setup.name) + ", killed at call " + std::to_string(failAt) + " (" +
                        callNames.at(static_cast<size_t>(failAt - 1)) + ")";
                EXPECT_EQ(ended, 128 + SIGKILL) << where;
            } else {
                save();
                const char* kinds[] = {"failing", "short", "interrupted"};
                where = std::string(setup.name) + ", call " + std::to_string(failAt) + " (" + Injector::hit + ") " +
                        kinds[static_cast<int>(kind)];
            }
            const std::string now = fs::exists(target) ? ReadFile(target) : std::string();
            if (setup.old.empty()) {
                EXPECT_TRUE(now.empty() || now == fresh) << where << ": " << testing::PrintToString(now);
            } else {
                // Written in place and not cut: the new bytes, then the rest of the old.
                const bool readsNew =
                    now == fresh || (setup.old.size() > fresh.size() && now == fresh + setup.old.substr(fresh.size()));
                EXPECT_TRUE(now == setup.old || readsNew) << where << ": " << testing::PrintToString(now);
                EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << where;
                EXPECT_EQ(ModeOf(target), mode) << where;
                if (fs::exists(folder / "twin.spd")) {
                    EXPECT_EQ(LStat(target).st_ino, inode) << where;
                    EXPECT_EQ(ReadFile(folder / "twin.spd"), now) << where;
                }
            }
            // An interrupted transfer is taken up again; the save goes through.
            const bool retried = Injector::hit == "open" || Injector::hit == "read" || Injector::hit == "pread" ||
                                 Injector::hit == "write" || Injector::hit == "pwrite" || Injector::hit == "flock";
            if (failAt == 0 || kind == Fault::Short || (kind == Fault::Interrupted && retried)) {
                EXPECT_EQ(now, fresh) << where;
            }
            // Nothing is left behind, unless removing it was what failed; an
            // earlier save's leftover may stay when clearing it failed.
            std::set<std::string> after = entries(), expected = before;
            if (!setup.leftover.empty()) {
                after.erase((folder / setup.leftover).string());
                expected.erase((folder / setup.leftover).string());
            }
            if (setup.old.empty() && !now.empty()) after.erase(target.string());
            if (Injector::hit != "unlink" && kind != Fault::Kill) {
                EXPECT_EQ(after, expected) << where;
            }
            if (setup.target != "Trakmor_B.spd") {
                EXPECT_TRUE(fs::is_symlink(folder / "Trakmor_B.spd")) << where;
            }
            // The next save goes through and leaves nothing of the broken one.
            {
                std::optional<AsOrdinaryUser> user;
                if (setup.asPlayer) user.emplace();
                platform::FileCalls quick = Sys();
                quick.fsync = [](int) { return 0; };
                EXPECT_TRUE(platform::PosixFileStore(quick).Replace(folder / "Trakmor_B.spd", next)) << where;
            }
            EXPECT_EQ(ReadFile(target), next) << where;
            expected.insert(target.string());
            EXPECT_EQ(entries(), expected) << where;
            chmod(folder.c_str(), 0755);
            fs::remove_all(folder);
            return Injector::calls;
        };
        const int calls = saveOnce(0, Fault::Error);
        callNames = Injector::made;
        ASSERT_GT(calls, 3) << setup.name;
        for (Fault kind : {Fault::Error, Fault::Short, Fault::Interrupted, Fault::Kill}) {
            for (int at = 1; at <= calls; ++at) {
                saveOnce(at, kind);
                if (kind != Fault::Kill && !Injector::hit.empty()) {
                    ++injections;
                    reached.insert(Injector::hit);
                }
                if (HasFailure()) return;
            }
        }
    }
    RecordProperty("injections", injections);
    // Each kind of call that saving makes has failed at least once.
    EXPECT_EQ(reached, (std::set<std::string>{"close", "fchmod", "flock", "fstat", "fsync", "ftruncate", "open",
                                              "pread", "pwrite", "rename", "unlink", "write"}));
}

// ---------------------------------------------------------------------------
// Named failures.

TEST_F(FileFaultTest, WriteFlushOrCloseFailingLeavesTheOldFile) {
    ASSERT_TRUE(Save("301\r\n"));
    using Break = void (*)(platform::FileCalls&);
    const std::pair<const char*, Break> breaks[] = {
        {"a full disk", [](platform::FileCalls& c) {
             c.write = [](int, const void* b, size_t n) {
                 // The bytes go to a device that is always full.
                 const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
                 const ssize_t r = ::write(full, b, n);
                 const int error = errno;
                 ::close(full);
                 errno = error;
                 return r;
             };
         }},
        {"out of quota after two bytes", [](platform::FileCalls& c) {
             c.write = [](int fd, const void* b, size_t n) -> ssize_t {
                 struct stat st {};
                 Sys().fstat(fd, &st);
                 if (st.st_size >= 2) {
                     errno = EDQUOT;
                     return -1;
                 }
                 return Sys().write(fd, b, std::min<size_t>(n, 2 - static_cast<size_t>(st.st_size)));
             };
         }},
        {"a failing flush", [](platform::FileCalls& c) { c.fsync = [](int) { return errno = EIO, -1; }; }},
        {"a failing close", [](platform::FileCalls& c) { c.close = [](int fd) { return Sys().close(fd), errno = EIO, -1; }; }},
    };
    for (const auto& [what, breakIt] : breaks) {
        breakIt(store.calls);
        EXPECT_FALSE(Save("1\r\n")) << what;
        store.calls = Sys();
        EXPECT_EQ(ReadFile(File()), "301\r\n") << what;
        EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"}) << what;
    }
}

TEST_F(FileFaultTest, RefusedRenameWritesInPlace) {
    ASSERT_TRUE(Save("301\r\n"));
    const ino_t inode = LStat(File()).st_ino;
    store.calls.rename = [](int, const char*, int, const char*) { return errno = EPERM, -1; };
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(LStat(File()).st_ino, inode);
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

TEST_F(FileFaultTest, EveryTemporaryNameTaken) {
    const auto taken = [](int d, const char* n, int fl, mode_t m) {
        if (fl & O_CREAT) return errno = EEXIST, -1;
        return Sys().open(d, n, fl, m);
    };
    // With no file there is nothing to write in place.
    store.calls.open = taken;
    EXPECT_FALSE(Save("301\r\n"));
    EXPECT_TRUE(DirEntries().empty());
    store.calls = Sys();
    ASSERT_TRUE(Save("301\r\n"));
    const ino_t inode = LStat(File()).st_ino;
    store.calls.open = taken;
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(LStat(File()).st_ino, inode);
}

// ---------------------------------------------------------------------------
// The file size limit, for real: a child process with a limit saves.

enum class Way { Renamed, InPlace, InPlaceWriteOnly };

TEST_F(FileFaultTest, FileSizeLimitFailsTheSaveCleanly) {
    const std::string old = "301\r\n", fresh = "32767\r\n";
    const std::pair<Way, const char*> ways[] = {
        {Way::Renamed, "renamed"}, {Way::InPlace, "in place"}, {Way::InPlaceWriteOnly, "in place, write-only"}};
    for (const auto& [way, wayName] : ways) {
        for (rlim_t limit : {0, 1, 2, 5, 6, 7, 64}) {
            const std::string where = std::string(wayName) + ", limit " + std::to_string(limit);
            WriteFile(File(), old);
            const fs::path twin = dir.path() / "twin.spd";
            if (way != Way::Renamed) fs::create_hard_link(File(), twin);  // so it is written in place
            if (way == Way::InPlaceWriteOnly) {
                GiveToPlayer(File());
                ASSERT_EQ(chmod(File().c_str(), 0200), 0);
            }
            const int ended = InChild([&] {
                // As the game starts: SIGXFSZ as the system leaves it.
                signal(SIGXFSZ, SIG_DFL);
                if (way == Way::InPlaceWriteOnly && file_support::RunningAsRoot() &&
                    (setgid(file_support::kPlayerGroup) != 0 || setuid(file_support::kPlayer) != 0))
                    return 3;
                struct rlimit lim {};
                getrlimit(RLIMIT_FSIZE, &lim);
                lim.rlim_cur = limit;
                if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return 4;
                platform::PosixFileStore child;
                return child.Replace(File(), fresh) ? 0 : 1;
            });
            const bool fits = fresh.size() <= limit;
            EXPECT_EQ(ended, fits ? 0 : 1) << where;  // not killed, and says whether it saved
            chmod(File().c_str(), 0644);
            EXPECT_EQ(ReadFile(File()), fits ? fresh : old) << where;
            if (way != Way::Renamed) {
                EXPECT_EQ(ReadFile(twin), ReadFile(File())) << where;
                fs::remove(twin);
            }
            EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"}) << where;
            for (const auto& e : fs::directory_iterator(dir.path())) fs::remove(e.path());
        }
    }
}

// Writing in place: one write of the new bytes over the start, then a cut.
class FileInPlaceTest : public FileFaultTest {
protected:
    void SetUp() override {
        WriteFile(File(), "301\r\n");
        fs::create_hard_link(File(), dir.path() / "twin.spd");  // so the file is written in place
    }
};

TEST_F(FileInPlaceTest, FailingWriteLeavesTheOldFile) {
    store.calls.pwrite = [](int, const void*, size_t, off_t) -> ssize_t { return errno = ENOSPC, -1; };
    EXPECT_FALSE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "301\r\n");
}

TEST_F(FileInPlaceTest, WriteStoppingPartWayIsUndone) {
    // The first write takes one byte ("1" over "3" would read as 101); the next fails.
    static int writes;
    writes = 0;
    store.calls.pwrite = [](int fd, const void* b, size_t n, off_t at) -> ssize_t {
        ++writes;
        if (writes == 1) return Sys().pwrite(fd, b, 1, at);
        if (writes == 2) return errno = EIO, -1;
        return Sys().pwrite(fd, b, n, at);
    };
    EXPECT_FALSE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    EXPECT_EQ(writes, 3);  // the old byte went back
}

TEST_F(FileInPlaceTest, UncutFileHoldsTheNewBytesThenTheOldRest) {
    WriteFile(File(), "301,  5\r\n12345\r\n");
    store.calls.ftruncate = [](int, off_t) { return errno = EIO, -1; };
    EXPECT_FALSE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "1\r\n,  5\r\n12345\r\n");
}

// ---------------------------------------------------------------------------
// Reading.

TEST_F(FileFaultTest, FifoSwappedInAsTheFileIsOpened) {
    WriteFile(File(), "1\r\n");
    static fs::path swapAt;
    swapAt = File();
    store.calls.open = [](int d, const char* n, int fl, mode_t m) {
        // Between looking at the name and opening it, a FIFO takes its place.
        if (swapAt == n && !fs::is_fifo(swapAt)) {
            fs::remove(swapAt);
            mkfifo(n, 0644);
        }
        return Sys().open(d, n, fl, m);
    };
    EXPECT_TRUE(ReturnsByItself([&] { EXPECT_EQ(Load().found, Found::NoFile); }, File()));
    EXPECT_TRUE(fs::is_fifo(File()));
}

TEST_F(FileFaultTest, FailingReadsAndShortReads) {
    WriteFile(File(), "  250\r\n");
    store.calls.read = [](int, void*, size_t) -> ssize_t { return errno = EIO, -1; };
    EXPECT_EQ(Load().found, Found::Unreadable);
    // Failing after the first piece: what was read counts for nothing.
    static int reads;
    reads = 0;
    store.calls.read = [](int fd, void* b, size_t n) -> ssize_t {
        if (++reads > 1) return errno = EIO, -1;
        return Sys().read(fd, b, n > 0 ? 2 : 0);
    };
    EXPECT_EQ(Load().found, Found::Unreadable);
    // Interrupted, and in single bytes: the whole file.
    reads = 0;
    store.calls.read = [](int fd, void* b, size_t n) -> ssize_t {
        if (++reads % 2) return errno = EINTR, -1;
        return Sys().read(fd, b, n > 0 ? 1 : 0);
    };
    EXPECT_EQ(Load(), (Loaded{Found::Read, "  250\r\n"}));
}

} // namespace
