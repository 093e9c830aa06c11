// The settings file's store on Windows: the same promises as on POSIX, with
// Windows' own ways of holding a name (reparse points, read-only attributes,
// hard links, files held open against deletion) and wide-character paths.
#include "platform/windows/windows_file_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "game_fixture.h"
// Last: its macros (Yield, DM_*) would clash with the game's names.
#include <windows.h>

namespace {

namespace fs = std::filesystem;
using Found = platform::FileStore::Found;
using Names = std::vector<std::string>;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class WindowsFileStoreTest : public ::testing::Test {
protected:
    fs::path File() const { return dir.path() / "Trakmor_B.spd"; }
    bool Save(std::string_view bytes) { return store.Replace(File(), bytes); }
    std::pair<Found, std::string> Load(const fs::path& file) {
        std::string got;
        const Found found = store.Read(file, [&](std::string_view piece) {
            got += piece;
            return true;
        });
        return {found, got};
    }
    Names Entries() const {
        Names names;
        for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing_support::TempDir dir;
    platform::WindowsFileStore store;
};

TEST_F(WindowsFileStoreTest, EachSaveLeavesExactlyTheNewBytesAndNothingBeside) {
    // Longer, shorter, empty and longer again: nothing of an older value stays.
    for (const std::string bytes : {"301\r\n", "12345\r\n", "1\r\n", "", "-32768\r\n"}) {
        ASSERT_TRUE(Save(bytes)) << bytes;
        EXPECT_EQ(ReadFile(File()), bytes);
        EXPECT_EQ(Load(File()), std::make_pair(Found::Read, bytes));
        EXPECT_EQ(Entries(), Names{"Trakmor_B.spd"});
    }
}

TEST_F(WindowsFileStoreTest, AFolderWithAnyLettersInItsName) {
    const fs::path folder = dir.path() / fs::path(L"J\u00edzda \u0150\u017e \u8eca \u0436");
    fs::create_directory(folder);
    const fs::path file = folder / "Trakmor_B.spd";
    ASSERT_TRUE(store.Replace(file, "250\r\n"));
    EXPECT_EQ(ReadFile(file), "250\r\n");
    EXPECT_EQ(Load(file), std::make_pair(Found::Read, std::string("250\r\n")));
    ASSERT_TRUE(store.Replace(file, "7\r\n"));  // and over a file already there
    EXPECT_EQ(ReadFile(file), "7\r\n");
}

TEST_F(WindowsFileStoreTest, ReadOnlyFileStaysAsItIs) {
    ASSERT_TRUE(Save("301\r\n"));
    ASSERT_TRUE(SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Save("1\r\n"));
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    EXPECT_TRUE(GetFileAttributesW(File().c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Entries(), Names{"Trakmor_B.spd"});
    SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsFileStoreTest, HiddenFileStaysHiddenWithItsNewValue) {
    ASSERT_TRUE(Save("301\r\n"));
    ASSERT_TRUE(SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Save("400\r\n"));
    EXPECT_EQ(ReadFile(File()), "400\r\n");
    EXPECT_TRUE(GetFileAttributesW(File().c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(WindowsFileStoreTest, HardLinksStayOneFile) {
    ASSERT_TRUE(Save("301\r\n12345678\r\n"));
    const fs::path other = dir.path() / "other name";
    ASSERT_TRUE(CreateHardLinkW(other.c_str(), File().c_str(), nullptr));
    ASSERT_TRUE(Save("5\r\n"));
    EXPECT_EQ(ReadFile(File()), "5\r\n");
    EXPECT_EQ(ReadFile(other), "5\r\n");
    const HANDLE h = CreateFileW(File().c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(GetFileInformationByHandle(h, &info));
    CloseHandle(h);
    EXPECT_EQ(info.nNumberOfLinks, 2u);
}

TEST_F(WindowsFileStoreTest, LinkIsWrittenAtItsTarget) {
    const fs::path target = dir.path() / "real.spd";
    WriteFile(target, "301\r\n");
    // Wine 8 answers yes and makes none.
    const bool made = CreateSymbolicLinkW(File().c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(File().c_str());
    if (!made || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "this system makes no symbolic links here";
    ASSERT_TRUE(Save("2\r\n"));
    EXPECT_EQ(ReadFile(target), "2\r\n");
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_EQ(Load(File()), std::make_pair(Found::Read, std::string("2\r\n")));
    EXPECT_EQ(Entries(), (Names{"Trakmor_B.spd", "real.spd"}));

    // A link to a file that is not there yet: the save makes it.
    const fs::path unborn = dir.path() / "unborn.spd";
    ASSERT_TRUE(DeleteFileW(File().c_str()));
    ASSERT_TRUE(CreateSymbolicLinkW(File().c_str(), unborn.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE));
    ASSERT_TRUE(Save("3\r\n"));
    EXPECT_EQ(ReadFile(unborn), "3\r\n");
    EXPECT_TRUE(fs::is_symlink(File()));
}

TEST_F(WindowsFileStoreTest, NoFileWhereThereIsNone) {
    fs::create_directory(File());
    EXPECT_FALSE(Save("1\r\n"));
    EXPECT_TRUE(fs::is_directory(File()));
    EXPECT_TRUE(fs::is_empty(File()));
    const fs::path nowhere = dir.path() / "no such folder" / "Trakmor_B.spd";
    EXPECT_FALSE(store.Replace(nowhere, "1\r\n"));
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
    for (const fs::path& none : {File(), nowhere, dir.path() / "missing.spd", fs::path("NUL")})
        EXPECT_EQ(Load(none).first, Found::NoFile) << none;
}

TEST_F(WindowsFileStoreTest, ReadingStopsWhenTheReaderHasEnough) {
    WriteFile(File(), std::string(10000, '7'));
    size_t pieces = 0, bytes = 0;
    EXPECT_EQ(store.Read(File(),
                         [&](std::string_view piece) {
                             ++pieces;
                             bytes += piece.size();
                             return false;
                         }),
              Found::Read);
    EXPECT_EQ(pieces, 1u);
    EXPECT_LT(bytes, 10000u);
}

TEST_F(WindowsFileStoreTest, OnlyOurOwnLeftoversAreCleared) {
    ASSERT_TRUE(Save("301\r\n"));
    // What killed saves leave, in any case of letters; and what they never do.
    for (const char* name : {"Trakmor_B.spd.new", "Trakmor_B.spd.new-0123456789abcdef", "TRAKMOR_B.SPD.NEW-fedcba9876543210"})
        WriteFile(dir.path() / name, "killed");
    const Names kept{"Trakmor_B.spd.new-0123", "Trakmor_B.spd.newer", "Trakmor_B.spd.new-0123456789abcdeg",
                     "Trakmor_B.spd.old", "read-only"};
    for (const std::string& name : kept) WriteFile(dir.path() / name, "theirs");
    fs::rename(dir.path() / "read-only", dir.path() / "Trakmor_B.spd.new-aaaaaaaaaaaaaaaa");
    ASSERT_TRUE(SetFileAttributesW((dir.path() / "Trakmor_B.spd.new-aaaaaaaaaaaaaaaa").c_str(), FILE_ATTRIBUTE_READONLY));
    fs::create_directory(dir.path() / "Trakmor_B.spd.new-bbbbbbbbbbbbbbbb");

    ASSERT_TRUE(Save("400\r\n"));
    EXPECT_EQ(ReadFile(File()), "400\r\n");
    Names expected{"Trakmor_B.spd", "Trakmor_B.spd.new-0123", "Trakmor_B.spd.new-0123456789abcdeg",
                   "Trakmor_B.spd.new-aaaaaaaaaaaaaaaa", "Trakmor_B.spd.new-bbbbbbbbbbbbbbbb", "Trakmor_B.spd.newer",
                   "Trakmor_B.spd.old"};
    EXPECT_EQ(Entries(), expected);
    SetFileAttributesW((dir.path() / "Trakmor_B.spd.new-aaaaaaaaaaaaaaaa").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsFileStoreTest, ASaveAtWorkKeepsItsNewFileAndTheNextOneTakesAnother) {
    ASSERT_TRUE(Save("301\r\n"));
    // Another copy of the game, between writing its new file and swapping it in.
    const fs::path busy = dir.path() / "Trakmor_B.spd.new";
    const HANDLE other = CreateFileW(busy.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Save("400\r\n"));
    EXPECT_EQ(ReadFile(File()), "400\r\n");
    EXPECT_TRUE(fs::exists(busy));
    CloseHandle(other);
    EXPECT_EQ(Entries(), (Names{"Trakmor_B.spd", "Trakmor_B.spd.new"}));
    ASSERT_TRUE(Save("500\r\n"));  // now a leftover, and cleared
    EXPECT_EQ(Entries(), Names{"Trakmor_B.spd"});
}

TEST_F(WindowsFileStoreTest, AFileHeldOpenByAnotherProgramHoldsAWholeValue) {
    // Another program has the file open: sharing reads only, or reads and
    // writes but not its deletion. Either way the file holds the old value or
    // the new one, whole, and the answer says which.
    for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        ASSERT_TRUE(Save("301\r\n"));
        const HANDLE other =
            CreateFileW(File().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        const bool saved = Save("4\r\n");
        CloseHandle(other);
        EXPECT_EQ(ReadFile(File()), saved ? "4\r\n" : "301\r\n") << share;
        EXPECT_EQ(Entries(), Names{"Trakmor_B.spd"}) << share;
    }
}

} // namespace
