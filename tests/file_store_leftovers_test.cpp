// What saves killed part way leave beside the file, which the next save
// clears, and two copies of the game saving at the same moment (the other
// copy's steps run where this one's calls give way).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "file_store_test_support.h"

using file_support::EntriesOf;
using file_support::GiveToPlayer;
using file_support::ReadFile;
using file_support::ReturnsByItself;
using file_support::RunningAsRoot;
using file_support::WriteFile;
using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const platform::FileCalls& Sys() { return platform::SystemFileCalls(); }

class FileLeftoverTest : public file_support::FileStoreTest {
protected:
    fs::path At(const std::string& name) const { return dir.path() / name; }
};

TEST_F(FileLeftoverTest, OnlyOurOwnLeftoversAreCleared) {
    WriteFile(File(), "301\r\n");
    // A save's own temporary names: what a killed one left goes.
    const Names cleared = {"Trakmor_B.spd.new", "Trakmor_B.spd.new-0123456789abcdef", "Trakmor_B.spd.new-ffffffff00000000"};
    for (const std::string& name : cleared) WriteFile(At(name), "500\r\n");
    ASSERT_EQ(chmod(At(cleared[2]).c_str(), 0400), 0);

    // Names that are not quite ours, and files at our names that no killed
    // save of ours left, stay.
    Names kept = {"Trakmor_B.spd.new-0123456789ABCDEF", "Trakmor_B.spd.new-0123456789abcde",
                  "Trakmor_B.spd.new-0123456789abcdef0", "Trakmor_B.spd.new.bak", "Trakmor_B.spd.newer",
                  "Trakmor_B.spd.new-", "Other.spd.new", "xTrakmor_B.spd.new", "Trakmor_B.spd.old"};
    for (const std::string& name : kept) WriteFile(At(name), "500\r\n");
    TempDir elsewhere;
    WriteFile(elsewhere.path() / "precious", "precious\n");
    fs::create_symlink(elsewhere.path() / "precious", At("Trakmor_B.spd.new-aaaaaaaaaaaaaaaa"));
    fs::create_symlink(elsewhere.path() / "nothing", At("Trakmor_B.spd.new-bbbbbbbbbbbbbbbb"));
    ASSERT_EQ(mkfifo(At("Trakmor_B.spd.new-cccccccccccccccc").c_str(), 0644), 0);
    fs::create_directory(At("Trakmor_B.spd.new-dddddddddddddddd"));
    WriteFile(At("Trakmor_B.spd.new-eeeeeeeeeeeeeeee"), "500\r\n");
    fs::create_hard_link(At("Trakmor_B.spd.new-eeeeeeeeeeeeeeee"), At("twin"));
    kept.insert(kept.end(), {"Trakmor_B.spd.new-aaaaaaaaaaaaaaaa", "Trakmor_B.spd.new-bbbbbbbbbbbbbbbb",
                             "Trakmor_B.spd.new-cccccccccccccccc", "Trakmor_B.spd.new-dddddddddddddddd",
                             "Trakmor_B.spd.new-eeeeeeeeeeeeeeee", "twin"});
    if (RunningAsRoot()) {  // another user's
        WriteFile(At("Trakmor_B.spd.new-1111111111111111"), "500\r\n");
        GiveToPlayer(At("Trakmor_B.spd.new-1111111111111111"));
        kept.push_back("Trakmor_B.spd.new-1111111111111111");
    }
    // One that a save still at work holds.
    WriteFile(At("Trakmor_B.spd.new-2222222222222222"), "");
    const int held = open(At("Trakmor_B.spd.new-2222222222222222").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    kept.push_back("Trakmor_B.spd.new-2222222222222222");

    EXPECT_TRUE(ReturnsByItself([&] { EXPECT_TRUE(Save("1\r\n")); }, At("Trakmor_B.spd.new-cccccccccccccccc")));
    close(held);
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    kept.push_back("Trakmor_B.spd");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(DirEntries(), kept);
    EXPECT_EQ(EntriesOf(elsewhere.path()), Names{"precious"});
    EXPECT_EQ(ReadFile(elsewhere.path() / "precious"), "precious\n");
    for (const char* name : {"Trakmor_B.spd.new-0123456789ABCDEF", "Trakmor_B.spd.new-eeeeeeeeeeeeeeee"})
        EXPECT_EQ(ReadFile(At(name)), "500\r\n") << name;
}

TEST_F(FileLeftoverTest, WrittenInPlaceLeftoversAreClearedToo) {
    WriteFile(File(), "301\r\n");
    fs::create_hard_link(File(), At("twin.spd"));
    WriteFile(At("Trakmor_B.spd.new"), "500\r\n");
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(At("twin.spd")), "1\r\n");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "twin.spd"}));
}

// ---------------------------------------------------------------------------
// Two copies of the game saving at once.

// Between making its new file and locking it, a save can find that another
// copy took the file for a leftover and removed it; it then starts afresh.
TEST_F(FileLeftoverTest, ANewFileTakenForALeftoverBeforeItIsLockedIsMadeAgain) {
    WriteFile(File(), "301\r\n");
    static std::function<void()> beforeFirstLock;
    beforeFirstLock = [this] {
        beforeFirstLock = nullptr;
        ASSERT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
        platform::PosixFileStore other;  // clears this save's unlocked file and saves on its own
        EXPECT_TRUE(other.Replace(File(), "500\r\n"));
        EXPECT_EQ(ReadFile(File()), "500\r\n");
    };
    store.calls.flock = [](int fd, int op) {
        if (beforeFirstLock) beforeFirstLock();
        return Sys().flock(fd, op);
    };
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_FALSE(beforeFirstLock);
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

// The new file is closed, and its close checked, before it is renamed: it
// stays locked until then all the same.
TEST_F(FileLeftoverTest, ANewFileStaysLockedFromItsCloseToItsRename) {
    WriteFile(File(), "301\r\n");
    static std::function<void()> beforeRename;
    beforeRename = [this] {
        beforeRename = nullptr;
        EXPECT_TRUE(platform::PosixFileStore().Replace(File(), "500\r\n"));
        EXPECT_EQ(ReadFile(At("Trakmor_B.spd.new")), "1\r\n");
    };
    store.calls.rename = [](int fromDir, const char* from, int toDir, const char* to) {
        if (beforeRename) beforeRename();
        return Sys().rename(fromDir, from, toDir, to);
    };
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_FALSE(beforeRename);
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

// A leftover can be renamed into place by the other copy's save, and a third
// save take its name, while this save is about to remove it: then only the
// file it looked at may go, and that one is no longer at the name.
TEST_F(FileLeftoverTest, AFileThatTookTheNameMeanwhileIsLeftAlone) {
    WriteFile(File(), "301\r\n");
    WriteFile(At("Trakmor_B.spd.new"), "500\r\n");
    static int third;
    static fs::path folder;
    third = -1;
    folder = dir.path();
    store.calls.flock = [](int fd, int op) {
        if (third < 0) {
            fs::rename(folder / "Trakmor_B.spd.new", folder / "Trakmor_B.spd");
            WriteFile(folder / "Trakmor_B.spd.new", "7\r\n");
            third = open((folder / "Trakmor_B.spd.new").c_str(), O_RDONLY | O_CLOEXEC);
        }
        return Sys().flock(fd, op);
    };
    EXPECT_TRUE(Save("1\r\n"));
    close(third);
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(ReadFile(At("Trakmor_B.spd.new")), "7\r\n");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

} // namespace
