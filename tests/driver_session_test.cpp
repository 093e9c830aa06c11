#include <SDL_image.h>
#include <sys/stat.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "headless/driver_session.h"
#include "headless/state_access.h"
#include "platform/sdl/sdl_ptrs.h"

namespace {

// A driver session over a script of lines, in a private folder.
class DriverTest : public ::testing::Test {
protected:
    DriverTest()
        : session([this]() -> std::optional<std::string> { return NextLine(); },
                  [this](const std::string& reply) { replies.push_back(reply); },
                  headless::DriverOptions{dir.path() / "Trakmor_B.spd"}) {}

    // Plays the lines to their end or to a quit; the exit status.
    int Drive(std::vector<std::string> lines) {
        input.assign(lines.begin(), lines.end());
        return session.Run();
    }
    // Every command line of `lines` answered with "ok" (or "ok VALUE").
    void ExpectAllOk(const std::vector<std::string>& lines) {
        ASSERT_EQ(replies.size(), lines.size());
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(replies[i].rfind("ok", 0), 0u) << lines[i] << " => " << replies[i];
    }
    std::string Reply(size_t i) const { return i < replies.size() ? replies[i] : "(no reply)"; }
    game::Form1& f() { return *session.game.form; }

    std::optional<std::string> NextLine() {
        if (input.empty()) return std::nullopt;
        std::string line = input.front();
        input.pop_front();
        ++linesRead;
        return line;
    }

    testing_support::TempDir dir;
    std::deque<std::string> input;
    std::vector<std::string> replies;
    size_t linesRead = 0;
    headless::DriverSession session;
};

bool IsError(const std::string& reply) { return reply.rfind("error ", 0) == 0; }

using GameInDriverRanges = testing_support::GameTest;

// ---------------------------------------------------------------------------
// One reply a command.

TEST_F(DriverTest, EveryCommandLineGetsExactlyOneReply) {
    const std::vector<std::string> script = {
        "",                       // not a command
        "# a comment",            // not a command
        "frobnicate",             "seed",           "seed 1 2",        "key sideways 81",
        "key down",               "click",          "click Nothing",   "click Command1(",
        "click Picturex(0,1)",    "select Skill",   "select Nothing 1", "scroll VScrollbar1 left",
        "run",                    "run x",          "call",            "call NoSuchRoutine",
        "get",                    "get nothing",    "get carX.",       "get Label6.Nothing",
        "get obstacleGrid(9,9)",  "get roadColumn(30)", "get Skill.List(3)", "get Skill.List(x)",
        "set",                    "set carX",       "set nothing 1",   "set Label6.Nothing 1",
        "set Label6.Visible maybe", "pixel 1",      "pixel -1 0",      "pixel 640 0",
        "screenshot",             "cues 1",         "ascii 30",        "ascii -1",
        "quit now",               "  get carX  ",   "get speed\r",
    };
    EXPECT_EQ(Drive(script), 0);
    ASSERT_EQ(replies.size(), script.size() - 2);
    for (size_t i = 0; i + 2 < replies.size(); ++i) EXPECT_TRUE(IsError(replies[i])) << script[i + 2] << " => " << replies[i];
    EXPECT_EQ(replies[replies.size() - 2], "ok 288");
    EXPECT_EQ(replies.back(), "ok 1");
}

// A refused value is quoted with its line breaks escaped: one line, read back as given.
TEST_F(DriverTest, ARefusedValueIsQuotedOnOneLine) {
    Drive({"set Picture4.KeyPreview \xC3\xA9\\\\\\n\"", "set Skill.ListIndex 1\\r\\n2", "key down 39"});
    EXPECT_EQ(replies, (std::vector<std::string>{"error not a Boolean: \xC3\xA9\\\\\\n\\\"",
                                                 "error not a whole number -32768..32767: 1\\r\\n2", "ok"}));
}

// Each way of quitting answers the command, then ends the game with status 0:
// no line after it is read or answered.
TEST_F(DriverTest, QuitCommandAnswersOkThenEnds) {
    EXPECT_EQ(Drive({"get carX", "quit", "get carX"}), 0);
    EXPECT_EQ(replies, (std::vector<std::string>{"ok 288", "ok"}));
    EXPECT_EQ(linesRead, 2u);
}

class DriverQuitTest : public DriverTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(DriverQuitTest, AnswersOkThenEndsThroughTheQuitSequence) {
    std::vector<std::string> script = GetParam();
    const size_t commands = script.size();
    script.push_back("get carX");
    EXPECT_EQ(Drive(script), 0);
    ASSERT_EQ(replies.size(), commands);
    EXPECT_EQ(replies.back(), "ok");
    EXPECT_EQ(linesRead, commands);
    // The quit sequence ran: timer released, the desktop's mode back.
    EXPECT_EQ(f().frameTimer, nullptr);
    EXPECT_EQ(f().gameRunning, game::kFalse);
    EXPECT_EQ(session.game.display.current.bits, 32u);
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverQuitTest,
    ::testing::Values(std::vector<std::string>{"click Command5"}, std::vector<std::string>{"call Command4_Click"},
                      std::vector<std::string>{"call Command5_Click"},
                      std::vector<std::string>{"click Command1", "run 100", "key down 27", "click Command4"},
                      std::vector<std::string>{"click Command1", "run 100", "call Command4_Click"}));

// Enter on the focused Quit button of the intro panel quits from inside the
// window's key handling.
TEST_F(DriverTest, QuitFromAKeyAnswersOkThenEnds) {
    session.game.Load();
    session.game.window.SetFocus(&f().Command5);
    EXPECT_EQ(Drive({"key down 13", "get carX"}), 0);
    EXPECT_EQ(replies, std::vector<std::string>{"ok"});
    EXPECT_EQ(f().frameTimer, nullptr);
}

// ---------------------------------------------------------------------------
// Values the game cannot hold.

struct Refusal {
    std::string name;
    std::vector<std::string> refused;
    std::vector<std::string> taken;  // the edges of the range
};

TEST_F(DriverTest, StateTakesOnlyWhatTheGameCanHold) {
    const std::vector<Refusal> cases = {
        {"damage", {"101", "-7", "32767", "-32768", "4294967296", "1.5", "1e3", "+5", "0x10", "5 5"},
         {"100", "-6", "95"}},
        {"carX", {"32736", "-32768", "32767", "289", "-1", "65824"}, {"-32766", "32734", "0", "288"}},
        {"steerDirection", {"2", "-2", "20000"}, {"-1", "1", "0"}},
        {"genRoadDirection", {"2", "-32768"}, {"-1", "1", "0"}},
        {"genRowPhase", {"5", "-1"}, {"4", "0"}},
        {"genRoadColumn", {"0", "16", "2", "12", "32767"}, {"1", "13", "7"}},
        {"carXPrevious", {"32768"}, {"-32768", "32767", "-1"}},
        {"gameRunning", {"32768"}, {"-1", "0"}},
        {"speed", {"0", "33", "-1", "65537"}, {"32", "1"}},
        {"minSpeed", {"0", "33"}, {"32", "1", "4"}},
        {"maxSpeed", {"0", "33"}, {"1", "32", "16"}},
        {"carGridRow", {"30", "-1"}, {"29", "0", "1"}},
        {"scrollPixels", {"32", "-1", "32767"}, {"31", "0"}},
        {"steerTick", {"256", "-1"}, {"255", "0"}},
        {"roadScore", {"2147483648", "-2147483649", "9223372036854775807"}, {"2147483647", "-2147483648", "0"}},
        {"bagPoints", {"2147483648"}, {"2147483647", "0"}},
        {"rabbitPoints", {"-2147483649", "-9223372036854775808"}, {"-2147483648", "0"}},
        {"speedFactor", {"inf", "-inf", "nan", "1e10", "0", "-0", "5.01", "-1", "1e400"}, {"0.0001", "5", "1"}},
        {"roadColumn(0)", {"15", "-1", "2055", "32768"}, {"0", "14", "7"}},
        {"sceneryTaken(19)", {"32768"}, {"-32768", "0"}},
        {"obstacleGrid(3,29)", {"21", "-1", "65536"}, {"20", "0"}},
        {"obstacleGrid(4,0)", {"0"}, {}},
        {"roadColumn(-1)", {"7"}, {}},
        {"gearOfSpeed(2)", {"1"}, {}},
        {"frameTimer", {"0"}, {}},
    };
    std::vector<std::string> script;
    std::vector<bool> expectError;
    for (const Refusal& c : cases) {
        for (const std::string& v : c.refused) {
            script.push_back("set " + c.name + " " + v);
            expectError.push_back(true);
        }
        for (const std::string& v : c.taken) {
            script.push_back("set " + c.name + " " + v);
            expectError.push_back(false);
            script.push_back("get " + c.name);
            expectError.push_back(false);
        }
    }
    Drive(script);
    ASSERT_EQ(replies.size(), script.size());
    for (size_t i = 0; i < script.size(); ++i) {
        EXPECT_EQ(IsError(replies[i]), expectError[i]) << script[i] << " => " << replies[i];
        // What is taken reads back as given.
        if (script[i].rfind("get ", 0) == 0 && !IsError(replies[i])) {
            const std::string given = script[i - 1].substr(script[i - 1].rfind(' ') + 1);
            EXPECT_EQ(replies[i], "ok " + given) << script[i - 1];
        }
    }
    // A refused value left the variable as it was: the last one taken.
    EXPECT_EQ(f().damage, 95);
    EXPECT_EQ(f().speed, 1);
    EXPECT_DOUBLE_EQ(f().speedFactor, 1.0);
    EXPECT_EQ(f().obstacleGrid[3][29], 0);
}

TEST_F(DriverTest, GeometryStaysWithinTheSurfacesLimits) {
    // Picture1 sits in the form, measured in twips; Picturex(0) in Picture1, in pixels.
    const std::vector<std::string> refused = {
        "set Picture1.Width 2147483647", "set Picture1.Width 1e10",   "set Picture1.Width -1",
        "set Picture1.Height inf",       "set Picture1.Left nan",     "set Picture1.Width 61441",
        "set Picture1.Left 491506",      "set Picture1.Top -491506",  "set Picturex(0).Width 4097",
        "set Picturex(0).Height 4097",   "set Picturex(0).Left 32768", "set Picturex(0).Top -32768",
        "set Picturex(0).Top 1e308",     "set Label6.Width x",
    };
    std::vector<std::string> script = refused;
    const size_t firstTaken = script.size();
    for (const char* line : {"get Picture1.Width", "set Picture1.Width 61440", "set Picture1.Left -491505",
                             "set Picturex(0).Width 4096", "set Picturex(0).Height 4096",
                             "set Picturex(0).Left 32767", "set Picturex(0).Top -32767", "get Picturex(0).Top"})
        script.push_back(line);
    Drive(script);
    ASSERT_EQ(replies.size(), script.size());
    for (size_t i = 0; i < refused.size(); ++i) EXPECT_TRUE(IsError(replies[i])) << script[i] << " => " << replies[i];
    EXPECT_EQ(replies[firstTaken], "ok 10240");  // nothing refused was stored
    for (size_t i = firstTaken; i < script.size(); ++i) EXPECT_FALSE(IsError(replies[i])) << script[i];
    EXPECT_EQ(replies.back(), "ok -32767");
    EXPECT_EQ(f().Picturex[0]->Image().Width(), 4096);
}

// The extremes the driver takes, all at once, through a ride, collisions, the
// status line and the composer: under the sanitizers nothing overflows.
TEST_F(DriverTest, ExtremesItTakesRunWithoutFault) {
    const std::vector<std::string> script = {
        "seed 18446744073709551615", "click Command1", "run 100", "set speedFactor 5", "set speed 32",
        "set maxSpeed 32", "set minSpeed 32", "set roadScore 2147483647", "set bagPoints 2147483647",
        "set rabbitPoints -2147483648", "set bagCount 2147483647", "set rabbitCount 2147483647",
        "set carX 32734", "set steerDirection 1", "set genRoadColumn 13", "set genRoadDirection 1",
        "set genRowPhase 4", "set roadColumn(1) 14", "set roadColumn(2) 0", "set obstacleGrid(0,1) 20",
        "set damage -6", "set Picture1.Left 491505", "set Picture1.Top -491505", "set Picturex(1).Left 32767",
        "set Picturex(0).Height 4096", "set autic.Left -32767", "set Label6.Width 61440", "call ShowStatus",
        "call CheckCollisions", "call DrawSprites", "pixel 639 479", "run 2000", "get carX", "set carX -32766",
        "set steerDirection -1", "run 500", "get carX", "set damage 100", "call CheckCollisions", "call ShowStatus",
        "pixel 0 0", "run 500", "ascii 1", "ascii 2", "get Label6.Caption",
    };
    EXPECT_EQ(Drive(script), 0);
    ExpectAllOk(script);
    EXPECT_EQ(Reply(32), "ok 32736");  // on to the next column line, inside 16 bits
    EXPECT_EQ(Reply(36), "ok -32768");
    EXPECT_EQ(f().damage, 100);
    EXPECT_EQ(f().gameRunning, game::kFalse);
}

TEST_F(DriverTest, NumbersBeyondTheirRangeAreRefusedNotWrapped) {
    const std::vector<std::string> refused = {
        "select Skill 4294967296",   "select Skill 4294967298",       "key down 4294967377",
        "key down 65617",            "key up 4294967371",             "seed -1",
        "seed 18446744073709551616", "pixel 4294967296 0",            "pixel 0 4294967296",
        "ascii 4294967297",          "set Skill.ListIndex 4294967296", "set VScrollbar1.Value 4294967297",
        "get obstacleGrid(4294967297,1)", "get Skill.List(4294967296)", "run 4294967296000",
        "run -1",
    };
    std::vector<std::string> script = {"click Command1", "run 100"};
    script.insert(script.end(), refused.begin(), refused.end());
    for (const char* line : {"get Skill.ListIndex", "get speed", "get VScrollbar1.Value"}) script.push_back(line);
    Drive(script);
    ASSERT_EQ(replies.size(), script.size());
    for (size_t i = 0; i < refused.size(); ++i) EXPECT_TRUE(IsError(replies[i + 2])) << refused[i] << " => " << replies[i + 2];
    EXPECT_EQ(Reply(script.size() - 3), "ok 1");  // still Normal, not Easy
    EXPECT_EQ(Reply(script.size() - 2), "ok 1");  // no gear change
    EXPECT_EQ(f().steerKeys, 0);
}

TEST_F(DriverTest, RunIsBounded) {
    Drive({"run 600001", "run 9223372036854775807", "run 18446744073709551616", "get carX", "run 600000", "get carX"});
    ASSERT_EQ(replies.size(), 6u);
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(IsError(replies[i])) << i;
    EXPECT_EQ(replies[4], "ok");
    EXPECT_GE(session.game.NowUs(), 600000e3);
    EXPECT_LT(session.game.NowUs(), 600002e3);
}

TEST_F(DriverTest, RideLoopIsNotRunFromInsideACommand) {
    Drive({"call Timer2_timer", "click Command1", "run 100", "call Timer2_timer", "get gameRunning", "key down 81",
           "run 100", "get speed"});
    ASSERT_EQ(replies.size(), 8u);
    EXPECT_EQ(replies[0], "ok");  // with no ride it only returns
    EXPECT_TRUE(IsError(replies[3])) << replies[3];
    EXPECT_EQ(replies[4], "ok -1");
    EXPECT_EQ(replies[7], "ok 4");
}

// A cue inside a command lets pending events run; a timer falling due just then
// waits until the command is over, or its tick would start the ride loop where
// no later command could reach it.
TEST_F(DriverTest, TimerDueDuringACommandTicksAfterIt) {
    const std::vector<std::string> script = {"click Command1", "run 50", "set obstacleGrid(0,1) 10",
                                             "call CheckCollisions", "get bagCount", "get Timer2.Enabled",
                                             "key down 81", "run 200", "get Timer2.Enabled", "get scrollPixels"};
    EXPECT_EQ(Drive(script), 0);
    ExpectAllOk(script);
    EXPECT_EQ(Reply(4), "ok 1");
    EXPECT_EQ(Reply(5), "ok -1");  // due, not yet run
    EXPECT_EQ(Reply(8), "ok 0");   // the ride loop took over
    EXPECT_NE(Reply(9), "ok 0");
}

// A ride started during a ride runs inside it; a script could nest them until
// the stack ran out. Past the depth the next tick waits, Timer2 still on.
TEST_F(DriverTest, RidesNestOnlySoDeep) {
    std::vector<std::string> script = {"click Command1", "run 60"};
    const int depth = headless::HeadlessGame::kMaxNesting;
    for (int i = 1; i < depth; ++i) {
        script.push_back("call Command1_Click");
        script.push_back("run 60");
    }
    script.push_back("get Timer2.Enabled");
    script.push_back("call Command1_Click");
    script.push_back("run 200");
    script.push_back("get Timer2.Enabled");
    script.push_back("call NewGame");
    script.push_back("run 200");
    script.push_back("get gameRunning");
    EXPECT_EQ(Drive(script), 0);
    ExpectAllOk(script);
    EXPECT_EQ(Reply(script.size() - 7), "ok 0");   // each start ticked into a ride of its own
    EXPECT_EQ(Reply(script.size() - 4), "ok -1");  // one too many: it waits
    EXPECT_EQ(Reply(script.size() - 1), "ok 0");
}

TEST_F(DriverTest, ScreenshotAnswersOkOnlyWhenTheFileIsWritten) {
    const std::string good = (dir.path() / "frame.png").string();
#ifdef _WIN32
    const std::string fifo = "NUL";  // a device, where POSIX has a FIFO to wait on
#else
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
#endif
    Drive({"screenshot /dev/full", "screenshot " + (dir.path() / "no" / "such" / "x.png").string(),
           "screenshot " + dir.path().string(), "screenshot " + fifo, "screenshot " + good, "pixel 320 100"});
    ASSERT_EQ(replies.size(), 6u);
    for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(IsError(replies[i])) << replies[i];
    EXPECT_EQ(replies[4], "ok");
    const platform::SurfacePtr png(IMG_Load(good.c_str()));
    ASSERT_NE(png, nullptr);
    const platform::SurfacePtr rgb(SDL_ConvertSurfaceFormat(png.get(), SDL_PIXELFORMAT_RGB888, 0));
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->w, 640);
    EXPECT_EQ(rgb->h, 480);
    const uint32_t p = static_cast<const uint32_t*>(rgb->pixels)[100 * rgb->pitch / 4 + 320] & 0xFFFFFFu;
    char hex[16];
    std::snprintf(hex, sizeof hex, "ok #%06X", p);
    EXPECT_EQ(replies[5], hex);
}

TEST_F(DriverTest, ScreenshotGoesWhereTheOptionsSay) {
    std::vector<std::pair<std::string, size_t>> written;
    headless::DriverSession s([n = 0]() mutable -> std::optional<std::string> {
                              if (n++ == 0) return "screenshot anywhere.png";
                              return std::nullopt;
                          },
                          [this](const std::string& r) { replies.push_back(r); },
                          {dir.path() / "Trakmor_B.spd", 10, [&](const std::string& file, const std::vector<uint8_t>& png) {
                               written.emplace_back(file, png.size());
                               return png.size() > 8 && png[1] == 'P' && png[2] == 'N' && png[3] == 'G';
                           }});
    EXPECT_EQ(s.Run(), 0);
    EXPECT_EQ(replies, std::vector<std::string>{"ok"});
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].first, "anywhere.png");
    EXPECT_FALSE(std::filesystem::exists("anywhere.png"));
}

TEST_F(DriverTest, SetKeepsTheValueAsWritten) {
    Drive({"set Label6.Caption  two  blanks\\sand\\ta tab", "get Label6.Caption", "set tekst.Caption x",
           "get tekst.Caption"});
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[1], "ok \"two  blanks and\\ta tab\"");
    EXPECT_EQ(replies[3], "ok \"x\"");
}

// Play reaches the ends of the damage's and the road's ranges, which the driver takes.
TEST_F(GameInDriverRanges, PlayReachesTheEndsOfTheRanges) {
    // A key in the cue of a repair takes the car onto tools ahead: a second
    // repair comes off before the status line has set the first one right.
    f->Skill.SetListIndex(0);
    Start();
    f->speed = 2;
    f->carX = 290;
    f->obstacleGrid[game::kTools][f->carGridRow] = f->obstacleGrid[game::kTools][f->carGridRow + 1] = 10;
    int lowest = 0, cues = 0;
    game.player.onPlay = [&](const uint8_t*) {
        lowest = std::min<int>(lowest, f->damage);
        if (cues++ == 0) Key(75);
    };
    f->CheckCollisions();
    EXPECT_EQ(lowest, -6);

    std::set<int> columns, starts;
    game.random.FixSeed(5);
    for (int screen = 0; screen < 600; ++screen) {
        f->BuildRoadScreen(screen % 2);
        columns.insert(f->roadColumn.begin(), f->roadColumn.end());
        starts.insert(f->genRoadColumn);
    }
    EXPECT_EQ(columns, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(starts, (std::set<int>{1, 4, 7, 10, 13}));
}

// ---------------------------------------------------------------------------
// The parsers the driver's language stands on.

TEST(DriverParsers, Names) {
    using headless::ParseName;
    EXPECT_EQ(ParseName("carX")->base, "carX");
    EXPECT_TRUE(ParseName("carX")->indexes.empty());
    EXPECT_EQ(ParseName("obstacleGrid(1,4)")->indexes, (std::vector<int>{1, 4}));
    EXPECT_EQ(ParseName("Picturex(-1)")->indexes, std::vector<int>{-1});
    for (const char* bad : {"", "(1)", "a(", "a(1", "a()", "a(1,)", "a(,1)", "a(1 )", "a(x)", "a(4294967296)", "a(1)b"})
        EXPECT_FALSE(ParseName(bad)) << bad;
}

TEST(DriverParsers, Integers) {
    using headless::ParseInteger;
    EXPECT_EQ(ParseInteger<int16_t>("32767"), 32767);
    EXPECT_EQ(ParseInteger<int16_t>("-32768"), -32768);
    EXPECT_EQ(ParseInteger<uint64_t>("18446744073709551615"), UINT64_MAX);
    for (const char* bad : {"32768", "-32769", "", "-", "+1", " 1", "1 ", "1.0", "1e2", "0x1", "٣"})
        EXPECT_FALSE(ParseInteger<int16_t>(bad)) << bad;
    EXPECT_FALSE(ParseInteger<uint64_t>("-1"));
    EXPECT_FALSE(ParseInteger<uint64_t>("18446744073709551616"));
}

TEST(DriverParsers, NumbersAreFinite) {
    using headless::ParseNumber;
    EXPECT_EQ(ParseNumber("-0.5"), -0.5);
    EXPECT_EQ(ParseNumber("1e3"), 1000.0);
    for (const char* bad : {"inf", "-inf", "infinity", "nan", "1e400", "", "1,5", "0x10", " 1", "1 "})
        EXPECT_FALSE(ParseNumber(bad)) << bad;
    EXPECT_EQ(headless::FormatNumber(1e300), "1e+300");
    EXPECT_EQ(headless::FormatNumber(-0.0), "0");
    EXPECT_EQ(headless::FormatNumber(683.5), "683.5");
}

} // namespace
