// Saving and loading where the folder holds more than a plain settings file:
// links, FIFOs, leftovers, permissions and modes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings_test_support.h"

using settings_support::AsOrdinaryUser;
using settings_support::GiveToPlayer;
using settings_support::LStat;
using settings_support::ModeOf;
using settings_support::ReadFile;
using settings_support::ReturnsByItself;
using settings_support::RunningAsRoot;
using settings_support::WriteFile;
using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class SettingsSaveTest : public settings_support::SettingsFileTest {
protected:
    fs::path Temporary() const { return dir.path() / "Trakmor_B.spd.new"; }
    // A saved setting of speed 200, then the spinner at speed 500, not saved.
    void SavedThenChanged() {
        f->VScrollbar1.SetValue(301);
        Save();
        ASSERT_EQ(ReadFile(File()), "301\r\n");
        f->VScrollbar1.SetValue(1);
    }
    void SaveAsPlayer() {
        AsOrdinaryUser user;
        Save();
    }
};

// ---------------------------------------------------------------------------
// Whatever lies at a temporary name is left alone.

TEST_F(SettingsSaveTest, LinkAtTheTemporaryNameIsNotFollowed) {
    TempDir elsewhere;
    const fs::path victim = elsewhere.path() / "precious";
    WriteFile(victim, "precious\n");
    const fs::path unborn = elsewhere.path() / "unborn";
    SavedThenChanged();

    fs::create_symlink(victim, Temporary());
    Save();
    EXPECT_EQ(ReadFile(victim), "precious\n");
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_TRUE(fs::is_symlink(Temporary()));
    EXPECT_EQ(fs::read_symlink(Temporary()), victim);

    // A link to a file that does not exist yet does not make one.
    fs::remove(Temporary());
    fs::create_symlink(unborn, Temporary());
    f->VScrollbar1.SetValue(500);
    Save();
    EXPECT_FALSE(fs::exists(fs::symlink_status(unborn)));
    EXPECT_EQ(ReadFile(File()), "500\r\n");
    EXPECT_EQ(EntriesOf(elsewhere.path()), Names{"precious"});
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
    f->NewGame();
    ExpectSpeed(1);

    // Nor does a folder of that name stop the save.
    fs::remove(Temporary());
    fs::create_directory(Temporary());
    f->VScrollbar1.SetValue(301);
    Save();
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    EXPECT_TRUE(fs::is_empty(Temporary()));
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

TEST_F(SettingsSaveTest, FifoAtTheTemporaryNameDoesNotHoldUpTheSave) {
    SavedThenChanged();
    ASSERT_EQ(mkfifo(Temporary().c_str(), 0644), 0);
    EXPECT_TRUE(ReturnsByItself([&] { Save(); }, Temporary()));
    EXPECT_TRUE(fs::is_fifo(Temporary()));
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

TEST_F(SettingsSaveTest, LeftoverTemporaryFileOfAnotherUser) {
    SavedThenChanged();
    WriteFile(Temporary(), "junk");
    fs::permissions(Temporary(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // The player owns the folder and the settings file; the leftover is root's
    // (or, run as an ordinary user, one the player may not write).
    GiveToPlayer(dir.path());
    GiveToPlayer(File());
    for (int value : {1, 250, 500}) {
        f->VScrollbar1.SetValue(value);
        SaveAsPlayer();
        EXPECT_EQ(ReadFile(File()), std::to_string(value) + "\r\n");
    }
    EXPECT_EQ(ReadFile(Temporary()), "junk");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
}

// ---------------------------------------------------------------------------
// What lies at the settings name.

TEST_F(SettingsSaveTest, FifoAtTheSettingsNameIsNoFileAndNotWritten) {
    f->VScrollbar1.SetValue(301);
    ASSERT_EQ(mkfifo(File().c_str(), 0644), 0);
    EXPECT_TRUE(ReturnsByItself([&] { Save(); }, File()));
    EXPECT_TRUE(fs::is_fifo(File()));
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
    EXPECT_TRUE(ReturnsByItself([&] { f->NewGame(); }, File()));
    ExpectSpeed(100);
}

TEST_F(SettingsSaveTest, SymlinkedFileIsWrittenAtItsTarget) {
    fs::create_directory(dir.path() / "sub");
    const fs::path real = dir.path() / "sub" / "real.spd";
    WriteFile(real, "301\r\n");
    fs::create_symlink("sub/real.spd", File());
    f->NewGame();
    ExpectSpeed(200);

    f->VScrollbar1.SetValue(1);
    Save();
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
    f->VScrollbar1.SetValue(250);
    Save();
    EXPECT_EQ(ReadFile(real), "250\r\n");
    EXPECT_TRUE(fs::is_symlink(other.path() / "middle"));
    EXPECT_EQ(EntriesOf(other.path()), Names{"middle"});
    f->VScrollbar1.SetValue(1);
    f->NewGame();
    ExpectSpeed(251);
}

TEST_F(SettingsSaveTest, DanglingLinkGetsItsTargetMade) {
    fs::create_symlink("made.spd", File());
    f->VScrollbar1.SetValue(7);
    Save();
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_EQ(ReadFile(dir.path() / "made.spd"), "7\r\n");
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "made.spd"}));
}

TEST_F(SettingsSaveTest, LinksToDevicesAndLoopsAreLeftAlone) {
    for (const char* device : {"/dev/full", "/dev/null"}) {
        fs::create_symlink(device, File());
        f->VScrollbar1.SetValue(301);
        Save();
        EXPECT_TRUE(fs::is_symlink(File())) << device;
        EXPECT_EQ(fs::read_symlink(File()), device);
        EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"}) << device;
        f->NewGame();
        ExpectSpeed(100);  // a device is no settings file
        fs::remove(File());
    }
    fs::create_symlink("loop.b", dir.path() / "loop.a");
    fs::create_symlink("loop.a", dir.path() / "loop.b");
    fs::create_symlink("loop.a", File());
    f->VScrollbar1.SetValue(301);
    Save();
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "loop.a", "loop.b"}));
    f->NewGame();
    ExpectSpeed(100);
}

// ---------------------------------------------------------------------------
// The file keeps what it was, apart from its contents.

TEST_F(SettingsSaveTest, ReadOnlyFolderWithAWritableFile) {
    SavedThenChanged();
    GiveToPlayer(dir.path());
    GiveToPlayer(File());
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    // Shorter, longer and as long as before.
    for (int value : {1, 500, 22, 401}) {
        f->VScrollbar1.SetValue(value);
        SaveAsPlayer();
        EXPECT_EQ(ReadFile(File()), std::to_string(value) + "\r\n");
    }
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
    f->VScrollbar1.SetValue(1);
    f->NewGame();
    ExpectSpeed(100);
}

TEST_F(SettingsSaveTest, ModeIsKept) {
    SavedThenChanged();
    const mode_t umaskBefore = umask(0077);
    for (mode_t mode : {0600, 0640, 0604, 0666, 0660}) {
        ASSERT_EQ(chmod(File().c_str(), mode), 0);
        f->VScrollbar1.SetValue(f->VScrollbar1.Value() + 1);
        Save();
        EXPECT_EQ(ModeOf(File()), mode) << std::oct << mode;
        EXPECT_EQ(ReadFile(File()), std::to_string(f->VScrollbar1.Value()) + "\r\n");
    }
    // A new file is made as opening for output makes one.
    fs::remove(File());
    umask(0022);
    Save();
    EXPECT_EQ(ModeOf(File()), 0644u);
    umask(0027);
    fs::remove(File());
    Save();
    EXPECT_EQ(ModeOf(File()), 0640u);
    umask(umaskBefore);
}

TEST_F(SettingsSaveTest, HardLinksStayOneFile) {
    SavedThenChanged();
    const fs::path twin = dir.path() / "twin.spd";
    fs::create_hard_link(File(), twin);
    const ino_t inode = LStat(File()).st_ino;
    Save();
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(ReadFile(twin), "1\r\n");
    EXPECT_EQ(LStat(File()).st_ino, inode);
    EXPECT_EQ(LStat(File()).st_nlink, 2u);
    EXPECT_EQ(DirEntries(), (Names{"Trakmor_B.spd", "twin.spd"}));
}

TEST_F(SettingsSaveTest, ReadOnlyFileStaysUnchanged) {
    SavedThenChanged();
    GiveToPlayer(dir.path());
    GiveToPlayer(File());
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ino_t inode = LStat(File()).st_ino;
    SaveAsPlayer();
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    EXPECT_EQ(ModeOf(File()), 0444u);
    EXPECT_EQ(LStat(File()).st_ino, inode);
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
    ExpectSpeed(500);  // the running game does not notice
}

TEST_F(SettingsSaveTest, FileOfAnotherOwnerThatThePlayerMayWrite) {
    if (!RunningAsRoot()) GTEST_SKIP() << "needs a second user";
    SavedThenChanged();
    GiveToPlayer(dir.path());
    ASSERT_EQ(chmod(File().c_str(), 0666), 0);  // root's, open to all
    SaveAsPlayer();
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    EXPECT_EQ(LStat(File()).st_uid, 0u);
    EXPECT_EQ(LStat(File()).st_gid, 0u);
    EXPECT_EQ(ModeOf(File()), 0666u);
    EXPECT_EQ(DirEntries(), Names{"Trakmor_B.spd"});
}

TEST_F(SettingsSaveTest, UnwritableFolderAndNoFileSavesNothing) {
    GiveToPlayer(dir.path());
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    f->VScrollbar1.SetValue(1);
    SaveAsPlayer();
    EXPECT_TRUE(DirEntries().empty());
    ExpectSpeed(500);
}

} // namespace
