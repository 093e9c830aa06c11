// Replacing a file where the folder holds more than a plain file: links,
// FIFOs, leftovers, permissions and modes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "file_store_test_support.h"

using file_support::AsOrdinaryUser;
using file_support::EntriesOf;
using file_support::Found;
using file_support::GiveToPlayer;
using file_support::Loaded;
using file_support::LStat;
using file_support::ModeOf;
using file_support::ReadFile;
using file_support::ReturnsByItself;
using file_support::RunningAsRoot;
using file_support::WriteFile;
using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class FileReplaceTest : public file_support::FileStoreTest {
protected:
    fs::path Temporary() const { return dir.path() / "Trakmor_B.spd.new"; }
    void Saved(const std::string& bytes) {
        ASSERT_TRUE(Save(bytes));
        ASSERT_EQ(ReadFile(File()), bytes);
    }
    bool SaveAsPlayer(std::string_view bytes) {
        AsOrdinaryUser user;
        return Save(bytes);
    }
};

// ---------------------------------------------------------------------------
// Whatever lies at a temporary name is left alone.

TEST_F(FileReplaceTest, LinkAtTheTemporaryNameIsNotFollowed) {
    TempDir elsewhere;
    const fs::path victim = elsewhere.path() / "precious";
    WriteFile(victim, "precious\n");
    const fs::path unborn = elsewhere.path() / "unborn";
    Saved("301\r\n");

    fs::create_symlink(victim, Temporary());
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(victim), "precious\n");
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_TRUE(fs::is_symlink(Temporary()));
    EXPECT_EQ(fs::read_symlink(Temporary()), victim);

    // A link to a file that does not exist yet does not make one.
    fs::remove(Temporary());
    fs::create_symlink(unborn, Temporary());
    EXPECT_TRUE(Save("500\r\n"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(unborn)));
    EXPECT_EQ(ReadFile(File()), "500\r\n");
    EXPECT_EQ(EntriesOf(elsewhere.path()), Names{"precious"});
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
    EXPECT_EQ(Load(), (Loaded{Found::Read, "500\r\n"}));

    // Nor does a folder of that name stop the save.
    fs::remove(Temporary());
    fs::create_directory(Temporary());
    EXPECT_TRUE(Save("301\r\n"));
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    EXPECT_TRUE(fs::is_empty(Temporary()));
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

TEST_F(FileReplaceTest, FifoAtTheTemporaryNameDoesNotHoldUpTheSave) {
    Saved("301\r\n");
    ASSERT_EQ(mkfifo(Temporary().c_str(), 0644), 0);
    EXPECT_TRUE(ReturnsByItself([&] { EXPECT_TRUE(Save("1\r\n")); }, Temporary()));
    EXPECT_TRUE(fs::is_fifo(Temporary()));
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

TEST_F(FileReplaceTest, LeftoverTemporaryFileOfAnotherUser) {
    if (!RunningAsRoot()) GTEST_SKIP() << "needs a second user";
    Saved("301\r\n");
    WriteFile(Temporary(), "junk");
    fs::permissions(Temporary(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // The player owns the folder and the settings file; the leftover is root's.
    GiveToPlayer(dir.path());
    GiveToPlayer(File());
    for (const char* value : {"1\r\n", "250\r\n", "500\r\n"}) {
        EXPECT_TRUE(SaveAsPlayer(value));
        EXPECT_EQ(ReadFile(File()), value);
    }
    EXPECT_EQ(ReadFile(Temporary()), "junk");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

// ---------------------------------------------------------------------------
// What lies at the file's own name.

TEST_F(FileReplaceTest, FifoAtTheNameIsNoFileAndNotWritten) {
    ASSERT_EQ(mkfifo(File().c_str(), 0644), 0);
    EXPECT_TRUE(ReturnsByItself([&] { EXPECT_FALSE(Save("301\r\n")); }, File()));
    EXPECT_TRUE(fs::is_fifo(File()));
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
    EXPECT_TRUE(ReturnsByItself([&] { EXPECT_EQ(Load().found, Found::NoFile); }, File()));
}

TEST_F(FileReplaceTest, SymlinkedFileIsWrittenAtItsTarget) {
    fs::create_directory(dir.path() / "sub");
    const fs::path real = dir.path() / "sub" / "real.spd";
    WriteFile(real, "301\r\n");
    fs::create_symlink("sub/real.spd", File());
    EXPECT_EQ(Load(), (Loaded{Found::Read, "301\r\n"}));

    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(real), "1\r\n");
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_EQ(fs::read_symlink(File()), "sub/real.spd");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "sub"}));
    EXPECT_EQ(EntriesOf(dir.path() / "sub"), Names{"real.spd"});

    // Through a chain of links, an absolute one among them; a relative target
    // is taken from the folder of the link that names it.
    TempDir other;
    fs::create_symlink(real, other.path() / "middle");
    fs::remove(File());
    fs::create_symlink(other.path() / "middle", File());
    EXPECT_TRUE(Save("250\r\n"));
    EXPECT_EQ(ReadFile(real), "250\r\n");
    EXPECT_TRUE(fs::is_symlink(other.path() / "middle"));
    EXPECT_EQ(EntriesOf(other.path()), Names{"middle"});
    EXPECT_EQ(Load(), (Loaded{Found::Read, "250\r\n"}));
}

TEST_F(FileReplaceTest, DanglingLinkGetsItsTargetMade) {
    fs::create_symlink("made.spd", File());
    EXPECT_TRUE(Save("7\r\n"));
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_EQ(ReadFile(dir.path() / "made.spd"), "7\r\n");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "made.spd"}));
}

TEST_F(FileReplaceTest, LinksToDevicesAndLoopsAreLeftAlone) {
    for (const char* device : {"/dev/full", "/dev/null"}) {
        fs::create_symlink(device, File());
        EXPECT_FALSE(Save("301\r\n")) << device;
        EXPECT_TRUE(fs::is_symlink(File())) << device;
        EXPECT_EQ(fs::read_symlink(File()), device);
        EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"}) << device;
        EXPECT_EQ(Load().found, Found::NoFile) << device;  // a device is no ordinary file
        fs::remove(File());
    }
    fs::create_symlink("loop.b", dir.path() / "loop.a");
    fs::create_symlink("loop.a", dir.path() / "loop.b");
    fs::create_symlink("loop.a", File());
    EXPECT_FALSE(Save("301\r\n"));
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "loop.a", "loop.b"}));
    EXPECT_EQ(Load().found, Found::NoFile);
}

TEST_F(FileReplaceTest, FolderAtTheNameIsNoFile) {
    fs::create_directory(File());
    EXPECT_EQ(Load().found, Found::NoFile);
    EXPECT_FALSE(Save("301\r\n"));
    EXPECT_TRUE(fs::is_empty(File()));
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

// ---------------------------------------------------------------------------
// The file keeps what it was, apart from its contents.

TEST_F(FileReplaceTest, ReadOnlyFolderWithAWritableFile) {
    Saved("301\r\n");
    GiveToPlayer(dir.path());
    GiveToPlayer(File());
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    // Shorter, longer and as long as before.
    for (const char* value : {"1\r\n", "500\r\n", "22\r\n", "401\r\n"}) {
        EXPECT_TRUE(SaveAsPlayer(value));
        EXPECT_EQ(ReadFile(File()), value);
    }
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

TEST_F(FileReplaceTest, ModeIsKept) {
    Saved("301\r\n");
    const mode_t umaskBefore = umask(0077);
    int value = 301;
    for (mode_t mode : {0600, 0640, 0604, 0666, 0660}) {
        ASSERT_EQ(chmod(File().c_str(), mode), 0);
        const std::string bytes = std::to_string(++value) + "\r\n";
        EXPECT_TRUE(Save(bytes));
        EXPECT_EQ(ModeOf(File()), mode) << std::oct << mode;
        EXPECT_EQ(ReadFile(File()), bytes);
    }
    // A new file is made as opening for output makes one.
    fs::remove(File());
    umask(0022);
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ModeOf(File()), 0644u);
    umask(0027);
    fs::remove(File());
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ModeOf(File()), 0640u);
    umask(umaskBefore);
}

TEST_F(FileReplaceTest, HardLinksStayOneFile) {
    Saved("301\r\n");
    const fs::path twin = dir.path() / "twin.spd";
    fs::create_hard_link(File(), twin);
    const ino_t inode = LStat(File()).st_ino;
    EXPECT_TRUE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(ReadFile(twin), "1\r\n");
    EXPECT_EQ(LStat(File()).st_ino, inode);
    EXPECT_EQ(LStat(File()).st_nlink, 2u);
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "twin.spd"}));
}

TEST_F(FileReplaceTest, ReadOnlyFileStaysUnchanged) {
    Saved("301\r\n");
    GiveToPlayer(dir.path());
    GiveToPlayer(File());
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ino_t inode = LStat(File()).st_ino;
    EXPECT_FALSE(SaveAsPlayer("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    EXPECT_EQ(ModeOf(File()), 0444u);
    EXPECT_EQ(LStat(File()).st_ino, inode);
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

TEST_F(FileReplaceTest, FileOfAnotherOwnerThatThePlayerMayWrite) {
    if (!RunningAsRoot()) GTEST_SKIP() << "needs a second user";
    Saved("301\r\n");
    GiveToPlayer(dir.path());
    ASSERT_EQ(chmod(File().c_str(), 0666), 0);  // root's, open to all
    EXPECT_TRUE(SaveAsPlayer("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(LStat(File()).st_uid, 0u);
    EXPECT_EQ(LStat(File()).st_gid, 0u);
    EXPECT_EQ(ModeOf(File()), 0666u);
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

TEST_F(FileReplaceTest, UnwritableFolderAndNoFileSavesNothing) {
    GiveToPlayer(dir.path());
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(SaveAsPlayer("1\r\n"));
    EXPECT_TRUE(DirEntries().empty());
}

// ---------------------------------------------------------------------------
// Reading.

TEST_F(FileReplaceTest, ReadingStopsWhenTheReaderHasEnough) {
    WriteFile(File(), std::string(100000, '7'));
    size_t got = 0;
    EXPECT_EQ(store.Read(File(), [&](std::string_view piece) { return (got += piece.size()) < 10; }), Found::Read);
    EXPECT_GE(got, 10u);
    EXPECT_LT(got, 100000u);
    WriteFile(File(), "");
    EXPECT_EQ(Load(), (Loaded{Found::Read, ""}));
}

TEST_F(FileReplaceTest, UnreadableFileIsNotNoFile) {
    WriteFile(File(), "1\r\n");
    GiveToPlayer(File());
    fs::permissions(File(), fs::perms::owner_write);
    AsOrdinaryUser user;
    EXPECT_EQ(Load().found, Found::Unreadable);
}

} // namespace
