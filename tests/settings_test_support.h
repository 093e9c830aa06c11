#pragma once
// What the settings file tests share: the fixture, reading and writing files, playing an
// ordinary user, and running a call that might hang on a FIFO.
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

namespace settings_support {

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

class SettingsFileTest : public testing_support::GameTest {
protected:
    fs::path File() const { return dir.path() / "Trakmor_B.spd"; }
    void Save() {
        f->Picture2.Show();
        ASSERT_TRUE(game.window.ClickElement(f->Command2));
    }
    // The speed setting in force: spinner, caption and factor agree.
    void ExpectSpeed(int speed) {
        EXPECT_EQ(f->VScrollbar1.Value(), 501 - speed);
        EXPECT_EQ(f->sp.Caption(), std::to_string(speed));
        EXPECT_DOUBLE_EQ(f->speedFactor, speed / 100.0);
    }
    static std::vector<std::string> EntriesOf(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> DirEntries() const { return EntriesOf(dir.path()); }
};

} // namespace settings_support
