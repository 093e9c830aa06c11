#pragma once
// What the tests of files share: the file store's fixture, reading and writing files,
// playing an ordinary user, and running a call that might hang on a FIFO.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "platform/posix/posix_file_store.h"

namespace file_support {

namespace fs = std::filesystem;

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The user the tests play when they run as root.
constexpr uid_t kPlayer = 65534;
constexpr gid_t kPlayerGroup = 65534;

inline bool RunningAsRoot() { return geteuid() == 0; }

// Permissions do not hold for root: a test run as root plays an ordinary user
// for the file operations that must be refused.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : wasRoot_(geteuid() == 0) {
        if (wasRoot_) {
            EXPECT_EQ(setegid(kPlayerGroup), 0);
            EXPECT_EQ(seteuid(kPlayer), 0);
        }
    }
    ~AsOrdinaryUser() {
        if (wasRoot_) {
            EXPECT_EQ(seteuid(0), 0);
            EXPECT_EQ(setegid(0), 0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool wasRoot_;
};

// Makes a path the player's own, as it is already when the tests do not run as root.
inline void GiveToPlayer(const fs::path& path) {
    if (RunningAsRoot()) {
        EXPECT_EQ(lchown(path.c_str(), kPlayer, kPlayerGroup), 0) << path;
    }
}

inline struct stat LStat(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

inline mode_t ModeOf(const fs::path& path) { return LStat(path).st_mode & 07777; }

// Runs call on a thread of its own and tells whether it came back by itself.
// One that waits on a FIFO is let go by opening the FIFO's other end, so a hang
// fails the test rather than stopping the run. The bound only catches a call
// that would never return; a working call returns at once.
inline bool ReturnsByItself(const std::function<void()>& call, const fs::path& fifo) {
    struct sigaction ignore {}, before {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &before);  // a writer let go finds no reader
    std::future<void> done = std::async(std::launch::async, call);
    bool byItself = done.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    while (!byItself && done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        if (fd >= 0) close(fd);
    }
    done.get();
    sigaction(SIGPIPE, &before, nullptr);
    return byItself;
}

inline std::vector<std::string> EntriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using Found = platform::FileStore::Found;

// What reading a file through the store gives: how it was found, and its contents.
struct Loaded {
    Found found;
    std::string contents;
    bool operator==(const Loaded&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Loaded& l) {
    const char* names[] = {"NoFile", "Unreadable", "Read"};
    return out << names[static_cast<int>(l.found)] << " " << testing::PrintToString(l.contents);
}

inline Loaded Load(platform::FileStore& store, const fs::path& file) {
    std::string contents;
    const Found found = store.Read(file, [&](std::string_view piece) {
        contents.append(piece);
        return true;
    });
    return {found, found == Found::Read ? contents : std::string()};
}

// A folder of its own and the store, with the settings file's name in it.
class FileStoreTest : public ::testing::Test {
protected:
    fs::path File() const { return dir.path() / "Trakmor_B.spd"; }
    bool Save(std::string_view bytes) { return store.Replace(File(), bytes); }
    Loaded Load() { return file_support::Load(store, File()); }
    std::vector<std::string> DirEntries() const { return EntriesOf(dir.path()); }

    testing_support::TempDir dir;
    platform::PosixFileStore store;
};

} // namespace file_support
