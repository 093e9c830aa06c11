// The description data linked into the program against the asset files it was built from.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/embed_sound.h"
#include "fake_wave_player.h"
#include "platform/form_data.h"
#include "form_data_assets.h"

namespace fs = std::filesystem;
using platform::PropertyBag;

namespace {

const fs::path kAssets = TRAKMOR_FORM_ASSETS_DIR;

std::vector<uint8_t> ReadAsset(const std::string& name) {
    std::ifstream in(kAssets / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NoEvents : public platform::EventPump {
public:
    void Yield(double) override {}
};

class EmbeddedFormData : public ::testing::Test {
protected:
    void SetUp() override {
        auto parsed = platform::FormData::Parse(platform::EmbeddedFormData());
        ASSERT_TRUE(parsed) << "the linked description data does not parse";
        form = std::move(*parsed);
    }
    platform::FormData form;
};

} // namespace

TEST_F(EmbeddedFormData, EveryPictureIsItsAssetFileUnchanged) {
    const std::pair<const char*, const char*> pictures[] = {
        {"Form1.Icon", "form1.ico"},
        {"Image2", "image2_bag.ico"},
        {"Image1", "image1_rabbit.ico"},
        {"nemaga(0)", "nemaga0_cross.ico"},
        {"nemaga(1)", "nemaga1_flames.ico"},
        {"ometalo(1)", "ometalo1_bomb.ico"},
        {"ometalo(3)", "ometalo3_tools.ico"},
        {"Picture3(0)", "picture3_0_tree.ico"},
        {"Picture3(1)", "picture3_1_fir.ico"},
        {"Picture3(2)", "picture3_2_house.ico"},
        {"Picture3(3)", "picture3_3_rock.ico"},
        {"Picture3(4)", "picture3_4_pond.ico"},
        {"Picture3(5)", "picture3_5_bare_tree.ico"},
        {"sravno", "sravno.gif"},
        {"sdesno", "sdesno.gif"},
        {"Picture5", "picture5_title.jpg"},
        {"EmbedSound.Picture", "embedsound.ico"},
        {"autic.Picture", "usercontrol1_car.gif"},
        {"auticl.Picture", "usercontrol2_car_left.gif"},
        {"auticd.Picture", "usercontrol3_car_right.gif"},
    };
    for (const auto& [name, file] : pictures) {
        const auto picture = form.Picture(name);
        ASSERT_TRUE(picture) << name;
        const auto expected = ReadAsset(file);
        ASSERT_FALSE(expected.empty()) << file;
        EXPECT_TRUE(std::equal(picture->begin(), picture->end(), expected.begin(), expected.end())) << name;
    }
    for (const char* none : {"ometalo(0)", "ometalo(2)", "nemaga(2)", "nemaga(3)"}) EXPECT_FALSE(form.Picture(none));
}

TEST_F(EmbeddedFormData, SoundInstancesCarryTheirFiles) {
    const char* sounds[] = {"zeko2.wav", "bomba2.wav", "skrenuo2.wav", "lova3.wav", "repair3.wav"};
    for (int i = 0; i < 5; ++i) {
        const std::string name = "EmbedSound1(" + std::to_string(i) + ")";
        const auto bag = form.Properties(name);
        ASSERT_TRUE(bag) << name;
        std::vector<std::string> keys;
        for (const auto& e : bag->Entries()) keys.push_back(e.key);
        EXPECT_EQ(keys, (std::vector<std::string>{"_extentx", "_extenty", "sndfile", "syncsnd", "memwav"})) << name;
        EXPECT_EQ(std::get<int32_t>(bag->ReadProperty("_ExtentX", 0)), 847);
        EXPECT_EQ(std::get<int32_t>(bag->ReadProperty("_ExtentY", 0)), 847);
        EXPECT_EQ(std::get<std::string>(bag->ReadProperty("SndFile", std::string())),
                  std::string("..\\Sounds\\") + sounds[i]);

        platform::FakeWavePlayer player;
        NoEvents events;
        platform::EmbedSound sound(player, events, true);
        sound.UserControl_ReadProperties(*bag);
        EXPECT_FALSE(sound.SyncSnd());
        EXPECT_FALSE(sound.LoopSnd());
        EXPECT_TRUE(sound.StopSnd());
        auto expected = ReadAsset(std::string("Sounds/") + sounds[i]);
        ASSERT_FALSE(expected.empty()) << sounds[i];
        expected.push_back(0);
        EXPECT_EQ(sound.MemWav(), expected) << name;
    }
}

TEST_F(EmbeddedFormData, SpriteInstancesHoldOnlyTheirExtents) {
    for (const char* name : {"autic", "auticl", "auticd"}) {
        const auto bag = form.Properties(name);
        ASSERT_TRUE(bag) << name;
        const auto record = bag->Serialize();
        ASSERT_EQ(record.size(), 72u + 8) << name;
        EXPECT_EQ(std::get<int32_t>(bag->ReadProperty("_ExtentY", 0)), 847);
    }
}
