#include "platform/embed_sound.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_wave_player.h"
#include "platform/program_exit.h"

namespace fs = std::filesystem;
using platform::EmbedSound;
using platform::FakeWavePlayer;
using platform::PropertyBag;

namespace {

class RecordingPump : public platform::EventPump {
public:
    explicit RecordingPump(const FakeWavePlayer& player) : player_(player) {}
    void Yield(double) override {
        callsSeenAtYield.push_back(player_.calls.size());
        if (throwOnYield) throw std::runtime_error("handler failed");
        if (onYield) onYield();
    }
    std::function<void()> onYield;
    std::vector<size_t> callsSeenAtYield;  // player calls made before each DoEvents
    bool throwOnYield = false;

private:
    const FakeWavePlayer& player_;
};

struct Box {
    std::string text, title;
    int style;
};

std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 13 + seed);
    return v;
}

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path = fs::temp_directory_path() / ("embed_sound_" + std::to_string(rd()) + std::to_string(rd()));
        if (!fs::create_directory(path)) throw std::runtime_error("no fresh folder");
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const fs::path p = path / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    fs::path path;
};

class CurrentDir {
public:
    explicit CurrentDir(const fs::path& p) : saved_(fs::current_path()) { fs::current_path(p); }
    ~CurrentDir() { fs::current_path(saved_); }

private:
    fs::path saved_;
};

class EmbedSoundTest : public ::testing::Test {
protected:
    // A running-mode instance loaded from a record, as the game's are.
    std::unique_ptr<EmbedSound> Loaded(const PropertyBag& bag) {
        auto s = std::make_unique<EmbedSound>(player, pump, true);
        s->UserControl_ReadProperties(bag);
        return s;
    }
    static PropertyBag GameRecord(const std::vector<uint8_t>& memWav) {
        PropertyBag bag;
        bag.WriteProperty("_ExtentX", 847);
        bag.WriteProperty("_ExtentY", 847);
        bag.WriteProperty("SndFile", std::string("..\\Sounds\\zeko2.wav"), std::string());
        bag.WriteProperty("SyncSnd", false, true);
        bag.WriteProperty("MemWav", memWav, int32_t{0});
        return bag;
    }
    std::unique_ptr<EmbedSound> Authoring() {
        auto s = std::make_unique<EmbedSound>(player, pump, false);
        s->UserControl_InitProperties();
        s->MessageBox = [this](const std::string& text, const std::string& title, int style) {
            boxes.push_back({text, title, style});
        };
        return s;
    }

    FakeWavePlayer player;
    RecordingPump pump{player};
    std::vector<Box> boxes;
};

} // namespace

// ---- PlaySound and StopSound

TEST_F(EmbedSoundTest, GameInstancePlaysItsImageInTheBackground) {
    const auto sound = Loaded(GameRecord(Pattern(100)));
    EXPECT_TRUE(sound->PlaySound());
    ASSERT_EQ(player.calls.size(), 1u);
    EXPECT_EQ(player.calls[0].flags, 7u);
    EXPECT_EQ(player.calls[0].image, sound->MemWav().data());
    EXPECT_EQ(player.calls[0].size, 100u);
}

TEST_F(EmbedSoundTest, FlagsFollowTheSwitches) {
    struct Case {
        bool loop, sync, stop;
        uint32_t flags;
    };
    for (const Case c : {Case{false, true, true, 6}, Case{false, false, true, 7}, Case{true, false, true, 15},
                         Case{true, true, false, 30}, Case{false, false, false, 23}}) {
        auto sound = Authoring();
        sound->UserControl_ReadProperties(GameRecord(Pattern(4)));
        sound->SetLoopSnd(c.loop);
        sound->SetSyncSnd(c.sync);
        sound->SetStopSnd(c.stop);
        player.calls.clear();
        EXPECT_TRUE(sound->PlaySound());
        ASSERT_EQ(player.calls.size(), 1u);
        EXPECT_EQ(player.calls[0].flags, c.flags) << c.loop << c.sync << c.stop;
    }
}

TEST_F(EmbedSoundTest, LetsEventsRunBeforePlaying) {
    const auto sound = Loaded(GameRecord(Pattern(10)));
    sound->PlaySound();
    EXPECT_EQ(pump.callsSeenAtYield, std::vector<size_t>{0});
    EXPECT_EQ(player.calls.size(), 1u);
}

TEST_F(EmbedSoundTest, WithoutAnEmbeddedSoundNothingPlays) {
    EmbedSound sound(player, pump, true);
    sound.UserControl_InitProperties();
    EXPECT_FALSE(sound.PlaySound());
    EXPECT_TRUE(player.calls.empty());
    EXPECT_EQ(pump.callsSeenAtYield.size(), 1u);  // events still ran first
}

TEST_F(EmbedSoundTest, AnyFailureGivesFalse) {
    const auto sound = Loaded(GameRecord(Pattern(10)));
    player.throwOnPlay = true;
    EXPECT_FALSE(sound->PlaySound());
    player.throwOnPlay = false;
    pump.throwOnYield = true;
    EXPECT_FALSE(sound->PlaySound());
    EXPECT_EQ(player.calls.size(), 1u);  // the failing handler came before the play
}

TEST_F(EmbedSoundTest, AQuitAmongTheEventsEndsTheProgramAndEveryErrorStillGivesFalse) {
    const auto sound = Loaded(GameRecord(Pattern(10)));
    pump.onYield = [] { throw platform::ProgramExit{3}; };
    try {
        sound->PlaySound();
        ADD_FAILURE() << "PlaySound kept the program going";
    } catch (const platform::ProgramExit& quit) {
        EXPECT_EQ(quit.exitStatus, 3);
    }
    EXPECT_TRUE(player.calls.empty());
    const std::vector<std::function<void()>> failures = {
        [] { throw platform::RuntimeError{9}; }, [] { throw std::bad_alloc(); },
        [] { throw std::out_of_range("index"); }, [] { throw 13; }};
    for (const auto& failure : failures) {
        pump.onYield = failure;
        EXPECT_FALSE(sound->PlaySound());
    }
    EXPECT_TRUE(player.calls.empty());
    pump.onYield = nullptr;
    EXPECT_TRUE(sound->PlaySound());
}

TEST_F(EmbedSoundTest, NoStopDropsASecondSoundWhileOnePlays) {
    PropertyBag yielding = GameRecord(Pattern(10, 2));
    yielding.WriteProperty("StopSnd", false, true);
    const auto first = Loaded(GameRecord(Pattern(10, 1)));
    const auto second = Loaded(yielding);

    first->PlaySound();
    EXPECT_TRUE(second->PlaySound());  // the platform's refusal is not looked at
    EXPECT_EQ(player.calls.back().flags, 7u | platform::SND_NOSTOP);
    EXPECT_TRUE(player.playing);
    EXPECT_EQ(player.current, first->MemWav().data());

    player.playing = false;  // the first sound has ended
    second->PlaySound();
    EXPECT_EQ(player.current, second->MemWav().data());
}

TEST_F(EmbedSoundTest, ByDefaultANewSoundReplacesThePlayingOne) {
    const auto first = Loaded(GameRecord(Pattern(10, 1)));
    const auto second = Loaded(GameRecord(Pattern(10, 2)));
    first->PlaySound();
    second->PlaySound();
    EXPECT_EQ(player.current, second->MemWav().data());
}

TEST_F(EmbedSoundTest, StopSoundStopsWhateverPlaysAndAnswersFalse) {
    const auto a = Loaded(GameRecord(Pattern(10, 1)));
    const auto b = Loaded(GameRecord(Pattern(10, 2)));
    a->PlaySound();
    EXPECT_FALSE(b->StopSound());
    ASSERT_EQ(player.calls.size(), 2u);
    EXPECT_EQ(player.calls[1].image, nullptr);
    EXPECT_EQ(player.calls[1].size, 0u);
    EXPECT_EQ(player.calls[1].flags, 7u);
    EXPECT_FALSE(player.playing);
    player.throwOnPlay = true;
    EXPECT_FALSE(b->StopSound());
}

TEST_F(EmbedSoundTest, DestroyingAnInstanceStopsTheSound) {
    {
        const auto sound = Loaded(GameRecord(Pattern(10)));
        sound->PlaySound();
    }
    ASSERT_EQ(player.calls.size(), 2u);
    EXPECT_EQ(player.calls[1].image, nullptr);
    EXPECT_EQ(player.calls[1].flags, 7u);
}

// ---- SndFile in the two modes

TEST_F(EmbedSoundTest, SndFileIsOutOfReachWhileRunning) {
    const auto sound = Loaded(GameRecord(Pattern(10)));
    try {
        (void)sound->SndFile();
        ADD_FAILURE() << "read did not raise";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number, 393);
    }
    try {
        sound->SetSndFile("x.wav");
        ADD_FAILURE() << "write did not raise";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number, 382);
    }
    EXPECT_TRUE(sound->ChangedProperties().empty());
    EXPECT_EQ(sound->MemWav().size(), 10u);
}

TEST_F(EmbedSoundTest, AssignmentsMarkTheirPropertyChanged) {
    const auto sound = Authoring();
    sound->SetLoopSnd(false);  // marked even when the value stays
    sound->SetSyncSnd(false);
    sound->SetStopSnd(true);
    EXPECT_EQ(sound->ChangedProperties(), (std::vector<std::string>{"LoopSnd", "SyncSnd", "StopSnd"}));
    EXPECT_FALSE(sound->SyncSnd());
}

// ---- Embedding a file

TEST_F(EmbedSoundTest, Embedding10000BytesReports9Kb) {
    TempDir dir;
    const auto content = Pattern(10000);
    const std::string path = dir.Write("a.wav", content).string();
    const auto sound = Authoring();
    sound->SetSndFile(path);

    ASSERT_EQ(sound->MemWav().size(), 10001u);
    EXPECT_TRUE(std::equal(content.begin(), content.end(), sound->MemWav().begin()));
    EXPECT_EQ(sound->MemWav().back(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File " + path + " was successfully embed.\r\nFile Size : 9 Kb.");
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(boxes[0].style, EmbedSound::kOkOnly);
    EXPECT_EQ(sound->SndFile(), path);
    EXPECT_EQ(sound->ChangedProperties(), (std::vector<std::string>{"SndFile", "MemWav"}));
}

TEST_F(EmbedSoundTest, SizeIsReportedInWholeKilobytes) {
    TempDir dir;
    const auto sound = Authoring();
    sound->SetSndFile(dir.Write("small.wav", Pattern(1023)).string());
    sound->SetSndFile(dir.Write("one.wav", Pattern(1024)).string());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].text.ends_with("\r\nFile Size : 0 Kb.")) << boxes[0].text;
    EXPECT_TRUE(boxes[1].text.ends_with("\r\nFile Size : 1 Kb.")) << boxes[1].text;
    EXPECT_EQ(sound->MemWav().size(), 1025u);
}

TEST_F(EmbedSoundTest, EmptyFileIsAnErrorAndKeepsTheEmbeddedSound) {
    TempDir dir;
    const auto sound = Authoring();
    sound->SetSndFile(dir.Write("good.wav", Pattern(50)).string());
    const auto before = sound->MemWav();
    boxes.clear();

    sound->SetSndFile(dir.Write("empty.wav", {}).string());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "An error occured.\r\n");
    EXPECT_EQ(boxes[0].title, "EmbedSound Error");
    EXPECT_EQ(boxes[0].style, EmbedSound::kExclamation);
    EXPECT_EQ(sound->MemWav(), before);
}

TEST_F(EmbedSoundTest, MissingFileIsAnError) {
    TempDir dir;
    const auto sound = Authoring();
    sound->SetSndFile((dir.path / "nothing.wav").string());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "An error occured.\r\nFile not found");
    EXPECT_EQ(boxes[0].title, "EmbedSound Error");
    EXPECT_TRUE(sound->MemWav().empty());
    EXPECT_EQ(sound->SndFile(), (dir.path / "nothing.wav").string());  // the name is kept all the same
}

// ---- Saved properties

TEST_F(EmbedSoundTest, NewInstanceSavesOnlyItsSound) {
    const auto sound = Authoring();
    PropertyBag bag;
    sound->UserControl_WriteProperties(bag);
    for (const char* key : {"SndFile", "LoopSnd", "SyncSnd", "StopSnd"}) EXPECT_FALSE(bag.Contains(key)) << key;
    EXPECT_TRUE(bag.Contains("MemWav"));
}

TEST_F(EmbedSoundTest, GameInstanceRecordFromAWindowsStylePath) {
    TempDir dir;
    dir.Write("Sounds/zeko2.wav", Pattern(11958));
    CurrentDir cwd(dir.path / "Sounds");
    const auto sound = Authoring();
    sound->SetSndFile("..\\Sounds\\zeko2.wav");
    sound->SetSyncSnd(false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File ..\\Sounds\\zeko2.wav was successfully embed.\r\nFile Size : 11 Kb.");

    PropertyBag bag;
    bag.WriteProperty("_ExtentX", 847);
    bag.WriteProperty("_ExtentY", 847);
    sound->UserControl_WriteProperties(bag);
    std::vector<std::string> keys;
    for (const auto& e : bag.Entries()) keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"_extentx", "_extenty", "sndfile", "syncsnd", "memwav"}));
    const auto bytes = bag.Serialize();
    EXPECT_EQ(bytes.size(), 12164u + 8);
}

TEST_F(EmbedSoundTest, SavedAndLoadedInstanceAgrees) {
    const auto author = Authoring();
    author->UserControl_ReadProperties(GameRecord(Pattern(33)));
    author->SetLoopSnd(true);
    author->SetStopSnd(false);
    PropertyBag saved;
    author->UserControl_WriteProperties(saved);
    const auto parsed = PropertyBag::Parse(saved.Serialize());
    ASSERT_TRUE(parsed);

    EmbedSound loaded(player, pump, false);
    loaded.UserControl_ReadProperties(*parsed);
    EXPECT_EQ(loaded.SndFile(), "..\\Sounds\\zeko2.wav");
    EXPECT_TRUE(loaded.LoopSnd());
    EXPECT_FALSE(loaded.SyncSnd());
    EXPECT_FALSE(loaded.StopSnd());
    EXPECT_EQ(loaded.MemWav(), author->MemWav());
}

TEST_F(EmbedSoundTest, LoadingWithoutKeysGivesDefaults) {
    EmbedSound sound(player, pump, false);
    sound.SetLoopSnd(true);
    sound.SetSyncSnd(false);
    sound.UserControl_ReadProperties(PropertyBag());
    EXPECT_EQ(sound.SndFile(), "");
    EXPECT_FALSE(sound.LoopSnd());
    EXPECT_TRUE(sound.SyncSnd());
    EXPECT_TRUE(sound.StopSnd());
    EXPECT_TRUE(sound.MemWav().empty());
    EXPECT_FALSE(sound.PlaySound());
}

TEST_F(EmbedSoundTest, LoadingAValueOfTheWrongKindRaisesTypeMismatch) {
    PropertyBag bag;
    bag.WriteProperty("MemWav", std::string("not bytes"));
    EmbedSound sound(player, pump, true);
    try {
        sound.UserControl_ReadProperties(bag);
        ADD_FAILURE() << "no error";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number, 13);
    }
}

TEST_F(EmbedSoundTest, InitPropertiesSetsNewInstanceValues) {
    EmbedSound sound(player, pump, false);
    sound.UserControl_ReadProperties(GameRecord(Pattern(3)));
    sound.SetLoopSnd(true);
    sound.SetStopSnd(false);
    sound.UserControl_InitProperties();
    EXPECT_EQ(sound.SndFile(), "");
    EXPECT_FALSE(sound.LoopSnd());
    EXPECT_TRUE(sound.SyncSnd());
    EXPECT_TRUE(sound.StopSnd());
}
