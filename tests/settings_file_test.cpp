// The game's rules for its settings file: what Save writes, what a new game
// reads from it and what it makes of what it reads.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "file_store_test_support.h"
#include "game/settings_file.h"

using file_support::AsOrdinaryUser;
using file_support::ReadFile;
using file_support::WriteFile;
using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;

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
    std::vector<std::string> DirEntries() const { return file_support::EntriesOf(dir.path()); }
};

TEST_F(SettingsFileTest, SaveWritesTheRawSpinnerValueAndALineEnd) {
    Save();
    EXPECT_EQ(ReadFile(File()), std::string("\x34\x30\x31\x0D\x0A"));
    f->VScrollbar1.SetValue(1);
    Save();
    EXPECT_EQ(ReadFile(File()), "1\r\n");
    f->VScrollbar1.SetValue(500);
    Save();
    EXPECT_EQ(ReadFile(File()), "500\r\n");
    // Nothing is left beside it.
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"Trakmor_B.spd"});
}

TEST_F(SettingsFileTest, SavedSpeedComesBackAtTheNextNewGame) {
    f->VScrollbar1.SetValue(1);
    Save();
    f->VScrollbar1.SetValue(401);
    f->NewGame();
    ExpectSpeed(500);
}

TEST_F(SettingsFileTest, WithoutTheFileTheSpeedIsBackToHundred) {
    f->VScrollbar1.SetValue(1);
    Save();
    f->NewGame();
    ExpectSpeed(500);
    fs::remove(File());
    f->NewGame();
    ExpectSpeed(100);
    // Also when the spinner already stood at the default.
    f->NewGame();
    ExpectSpeed(100);
}

TEST_F(SettingsFileTest, NumbersThatTheSpinnerTakes) {
    struct Case {
        std::string content;
        int speed;
    };
    const Case cases[] = {
        {"250\r\n", 251},       {"250", 251},         {"250\n", 251},       {"   250\r\n", 251},
        {"250,17\r\n", 251},    {"250,junk", 251},    {"+250\r\n", 251},    {"250.4\r\n", 251},
        {"0000250\r\n", 251},   {"1\r\n", 500},       {"500\r\n", 1},       {"250\r\nxyz\r\n", 251},
    };
    for (const Case& c : cases) {
        f->VScrollbar1.SetValue(401);
        WriteFile(File(), c.content);
        f->NewGame();
        ExpectSpeed(c.speed);
    }
}

TEST_F(SettingsFileTest, UnusableContentsKeepTheSpinnerAsItWas) {
    const std::string cases[] = {
        "",        "\r\n",      "abc\r\n",  "0\r\n",    "501\r\n", "-5\r\n",  "40000\r\n",
        "-40000",  ",250\r\n",  "+\r\n",    ".\r\n",    "x250",    "250x\r\n",    "\xff\xfe\x00", std::string(3, '\0'),
    };
    for (const std::string& content : cases) {
        f->VScrollbar1.SetValue(301);  // speed 200, not saved
        WriteFile(File(), content);
        f->NewGame();
        // The new game has set the factor back to 1; the spinner's own value
        // is applied again.
        ExpectSpeed(200);
    }
}

TEST_F(SettingsFileTest, HugeFiles) {
    f->VScrollbar1.SetValue(301);
    WriteFile(File(), "250\r\n" + std::string(8 << 20, '9'));
    f->NewGame();
    ExpectSpeed(251);

    WriteFile(File(), std::string(8 << 20, '7'));
    f->NewGame();
    ExpectSpeed(251);

    // Blanks before the number may run on for any length.
    WriteFile(File(), std::string(200000, ' ') + "100\r\n");
    f->NewGame();
    ExpectSpeed(401);
}

TEST_F(SettingsFileTest, DirectoryOfThatNameIsNoSettingsFile) {
    f->VScrollbar1.SetValue(1);
    fs::create_directory(File());
    f->NewGame();
    ExpectSpeed(100);
    // Saving over it fails quietly and leaves it as it was.
    f->VScrollbar1.SetValue(301);
    Save();
    EXPECT_TRUE(fs::is_directory(File()));
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"Trakmor_B.spd"});
    ExpectSpeed(200);
    EXPECT_FALSE(f->Picture6.Visible());
}

TEST_F(SettingsFileTest, FailedSaveChangesNothingInTheGame) {
    f->VScrollbar1.SetValue(301);
    Save();
    ASSERT_EQ(ReadFile(File()), "301\r\n");
    game.files.calls.fsync = [](int) { return errno = EIO, -1; };
    f->VScrollbar1.SetValue(1);
    Save();
    EXPECT_EQ(ReadFile(File()), "301\r\n");
    ExpectSpeed(500);  // the running game does not notice
    EXPECT_FALSE(f->Picture6.Visible());
    game.files.calls = platform::SystemFileCalls();
    f->NewGame();
    ExpectSpeed(200);
}

TEST_F(SettingsFileTest, SaveIntoAReadOnlyFolderChangesNothing) {
    f->VScrollbar1.SetValue(301);
    Save();
    // Neither the folder nor the file can be written (a writable file in such
    // a folder is saved in place, see FileReplaceTest).
    file_support::GiveToPlayer(dir.path());
    file_support::GiveToPlayer(File());
    fs::permissions(File(), fs::perms::owner_read);
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    f->VScrollbar1.SetValue(1);
    {
        AsOrdinaryUser user;
        Save();
    }
    ExpectSpeed(500);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(File()), "301\r\n");
}

TEST_F(SettingsFileTest, UnreadableFileKeepsTheSpinner) {
    WriteFile(File(), "1\r\n");
    fs::permissions(File(), fs::perms::none);
    f->VScrollbar1.SetValue(301);
    {
        AsOrdinaryUser user;
        f->NewGame();
    }
    ExpectSpeed(200);
}

TEST_F(SettingsFileTest, OnlySaveWritesTheFile) {
    f->VScrollbar1.SetValue(1);
    Start();
    f->NewGame();
    f->Picture2.Show();
    f->VScrollbar1.SetValue(7);
    try {
        game.window.ClickElement(f->Command4);
    } catch (const game::QuitProgram&) {
    }
    EXPECT_TRUE(DirEntries().empty());
}

TEST_F(SettingsFileTest, FailingReadKeepsTheSpinner) {
    WriteFile(File(), "1\r\n");
    game.files.calls.read = [](int, void*, size_t) -> ssize_t { return errno = EIO, -1; };
    f->VScrollbar1.SetValue(301);
    f->NewGame();
    ExpectSpeed(200);
    // Blanks are passed over however the file comes in pieces.
    game.files.calls.read = [](int fd, void* b, size_t n) {
        return platform::SystemFileCalls().read(fd, b, n > 0 ? 1 : 0);
    };
    WriteFile(File(), "  250\r\n");
    f->NewGame();
    ExpectSpeed(251);
}

TEST(SettingsFileFolder, TheFileBelongsToTheWorkingDirectory) {
    TempDir first, second;
    const fs::path before = fs::current_path();
    struct Back {
        fs::path to;
        ~Back() { fs::current_path(to); }
    } back{before};

    fs::current_path(first.path());
    headless::HeadlessGame game;  // the settings file by its bare name
    game.Load();
    game::Form1& f = *game.form;
    f.VScrollbar1.SetValue(1);
    f.SaveSpeed();
    EXPECT_TRUE(fs::exists(first.path() / "Trakmor_B.spd"));

    fs::current_path(second.path());
    f.NewGame();
    EXPECT_EQ(f.sp.Caption(), "100");
    EXPECT_FALSE(fs::exists(second.path() / "Trakmor_B.spd"));
}

// ---------------------------------------------------------------------------
// Reading the first item of a file, against a small reading of our own.

// What a careful reading of the content gives: a number, no number, or a
// content on which readings may fairly differ.
struct Reading {
    enum Kind { Number, NoNumber, Unclear } kind;
    int value = 0;
};

Reading Careful(const std::string& s) {
    // Tabs and line ends before the item, exponents, hexadecimal and items
    // with more after the number are read differently by different readers.
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size() && (s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) return {Reading::Unclear};
    size_t end = i;
    while (end < s.size() && s[end] != ',' && s[end] != '\r' && s[end] != '\n') ++end;
    const std::string item = s.substr(i, end - i);
    if (item.empty()) return {Reading::NoNumber};

    size_t p = 0;
    bool negative = false;
    if (item[p] == '+' || item[p] == '-') negative = item[p++] == '-';
    std::string whole, fraction;
    while (p < item.size() && isdigit(static_cast<unsigned char>(item[p]))) whole += item[p++];
    bool point = false;
    if (p < item.size() && item[p] == '.') {
        point = true;
        ++p;
        while (p < item.size() && isdigit(static_cast<unsigned char>(item[p]))) fraction += item[p++];
    }
    size_t rest = p;
    while (rest < item.size() && item[rest] == ' ') ++rest;
    if (whole.empty() && fraction.empty()) {
        // Nothing numeric at all, unless something that might start one follows.
        const bool mayStart = p < item.size() && (item[p] == '&' || item[p] == '\t' || item[p] == ' ');
        return {mayStart ? Reading::Unclear : Reading::NoNumber};
    }
    if (rest != item.size()) {
        // A second word after a blank, a tab or an exponent may be read
        // either way; anything else glued to the number spoils it.
        const char next = item[p];
        const bool unclear = rest > p || next == '\t' || next == 'e' || next == 'E' || next == 'd' || next == 'D';
        return {unclear ? Reading::Unclear : Reading::NoNumber};
    }
    if (point && fraction.size() > 12) return {Reading::Unclear};

    // Whole part, then the fraction rounded half to even.
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() > 6) return {Reading::NoNumber};
    long long v = whole.empty() ? 0 : std::stoll(whole);
    if (!fraction.empty()) {
        const char first = fraction[0];
        const bool moreAfter = fraction.find_first_not_of('0', 1) != std::string::npos;
        if (first > '5' || (first == '5' && (moreAfter || v % 2 == 1))) ++v;
    }
    if (negative) v = -v;
    if (v < -32768 || v > 32767) return {Reading::NoNumber};
    return {Reading::Number, static_cast<int>(v)};
}

void ExpectSameReading(const std::string& content) {
    const std::optional<int16_t> got = game::ReadListInteger(content);
    const Reading want = Careful(content);
    switch (want.kind) {
    case Reading::Number:
        ASSERT_TRUE(got.has_value()) << testing::PrintToString(content);
        ASSERT_EQ(*got, want.value) << testing::PrintToString(content);
        break;
    case Reading::NoNumber:
        ASSERT_FALSE(got.has_value()) << testing::PrintToString(content) << " gave " << *got;
        break;
    case Reading::Unclear: break;
    }
}

TEST(ReadListInteger, HandPickedContents) {
    struct Case {
        std::string content;
        std::optional<int16_t> value;
    };
    const Case cases[] = {
        {"401\r\n", 401},    {"  7", 7},           {"-12,3", -12},        {"32767", 32767},
        {"32768", {}},       {"-32768", -32768},   {"-32769", {}},        {"2.5", 2},
        {"3.5", 4},          {"-2.5", -2},         {"0.51", 1},           {"12.", 12},
        {".7", 1},           {"", {}},             {",", {}},             {"-", {}},
        {"\r\n5", {}},       {"99999999999999999999", {}},                {"5  \r\n", 5},
        {"250x", {}},        {"25-0", {}},         {"2.5.0", {}},         {"+-1", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(game::ReadListInteger(c.content), c.value) << testing::PrintToString(c.content);
        ExpectSameReading(c.content);
    }
}

// Written in place, the file holds the new line followed by whatever of the
// old contents lies beyond it until it is cut; that reads as the new value,
// whatever was there.
TEST(ReadListInteger, NewLineOverAnyOldContentsReadsAsTheNewValue) {
    std::vector<std::string> olds = {"", "1", "\r\n", "401\r\n", "32767\r\n", "-32768", "   7\r\n", ",,,,,,,,",
                                     "500.5\r\n", std::string(70000, '9'), std::string(70000, ' ') + "3\r\n"};
    std::mt19937 rng(7);
    for (int n = 0; n < 2000; ++n) {
        std::string s(rng() % 16, '\0');
        for (char& c : s) c = "0123456789 \t,.\r\n-+x"[rng() % 20];
        olds.push_back(s);
    }
    for (int v = 1; v <= 500; ++v) {
        const std::string fresh = std::to_string(v) + "\r\n";
        for (const std::string& old : olds) {
            const std::string uncut = fresh + (old.size() > fresh.size() ? old.substr(fresh.size()) : "");
            ASSERT_EQ(game::ReadListInteger(uncut), v) << testing::PrintToString(old.substr(0, 40));
        }
    }
}

TEST(ReadListInteger, AgreesWithACarefulReadingOnGeneratedContents) {
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::vector<std::string> pieces = {" ", "  ", "\t", "+", "-", ".", ",", "\r", "\n", "\r\n", "0", "00",
                                             "1", "7", "9", "12", "250", "401", "500", "32767", "32768",
                                             "99999", "a", "E", "e2", "&H1F", "x", "\xff", std::string(1, '\0')};
    int numbers = 0, noNumbers = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string s;
        switch (n % 4) {
        case 0: {  // a number with trimmings
            s.append(static_cast<size_t>(pick(4)), ' ');
            if (pick(3) == 0) s += pick(2) ? '-' : '+';
            const int digits = pick(7);
            for (int d = 0; d < digits; ++d) s += static_cast<char>('0' + pick(10));
            if (pick(3) == 0) {
                s += '.';
                const int frac = pick(5);
                for (int d = 0; d < frac; ++d) s += static_cast<char>('0' + pick(10));
            }
            s.append(static_cast<size_t>(pick(2)), ' ');
            const char* ends[] = {"", "\r\n", "\n", ",", ",17", "\r", "\r\n250\r\n"};
            s += ends[pick(7)];
            break;
        }
        case 1:  // pieces in any order
            for (int k = pick(8); k >= 0; --k) s += pieces[static_cast<size_t>(pick(static_cast<int>(pieces.size())))];
            break;
        case 2:  // any bytes
            for (int k = pick(24); k > 0; --k) s += static_cast<char>(rng() & 0xFF);
            break;
        default: {  // long runs
            const char fill[] = {' ', '0', '9', ','};
            s.assign(static_cast<size_t>(1000 + pick(100000)), fill[pick(4)]);
            if (pick(2)) s += "123\r\n";
            break;
        }
        }
        const Reading want = Careful(s);
        numbers += want.kind == Reading::Number;
        noNumbers += want.kind == Reading::NoNumber;
        ExpectSameReading(s);
        if (HasFatalFailure()) return;
    }
    // The generator reaches both outcomes often enough to mean something.
    EXPECT_GT(numbers, 3000);
    EXPECT_GT(noNumbers, 3000);
}

} // namespace
