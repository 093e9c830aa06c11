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
#include "tools/asset_manifest.h"
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
        manifest = tools::ReadAssetManifest(tools::ManifestOf(kAssets));
        ASSERT_FALSE(manifest.empty());
    }
    std::vector<tools::Asset> Of(const std::string& kind) const {
        std::vector<tools::Asset> out;
        for (const tools::Asset& a : manifest)
            if (a.kind == kind) out.push_back(a);
        return out;
    }
    platform::FormData form;
    std::vector<tools::Asset> manifest;
};

} // namespace

TEST_F(EmbeddedFormData, EveryPictureIsItsAssetFileUnchanged) {
    size_t pictures = 0;
    for (const tools::Asset& a : manifest) {
        if (a.kind == "sound") continue;
        ++pictures;
        const auto picture = form.Picture(a.entry);
        ASSERT_TRUE(picture) << a.entry;
        const auto expected = ReadAsset(a.file);
        ASSERT_FALSE(expected.empty()) << a.file;
        EXPECT_TRUE(std::equal(picture->begin(), picture->end(), expected.begin(), expected.end())) << a.entry;
    }
    EXPECT_EQ(pictures, 20u);
    // Holders that get their picture from another at run time carry none.
    for (const char* none : {"ometalo(0)", "ometalo(2)", "nemaga(2)", "nemaga(3)"}) EXPECT_FALSE(form.Picture(none));
}

TEST_F(EmbeddedFormData, SoundInstancesCarryTheirFiles) {
    const std::vector<tools::Asset> sounds = Of("sound");
    ASSERT_EQ(sounds.size(), 5u);
    for (size_t i = 0; i < sounds.size(); ++i) {
        const std::string name = "EmbedSound1(" + std::to_string(i) + ")";
        ASSERT_EQ(sounds[i].entry, name) << "the manifest lists the cues by number";
        // Stored as the window's author embedded it, from beside Sounds/.
        ASSERT_EQ(sounds[i].file.rfind("Sounds/", 0), 0u) << sounds[i].file;
        const std::string stored = "..\\Sounds\\" + sounds[i].file.substr(7);
        const auto bag = form.Properties(name);
        ASSERT_TRUE(bag) << name;
        std::vector<std::string> keys;
        for (const auto& e : bag->Entries()) keys.push_back(e.key);
        EXPECT_EQ(keys, (std::vector<std::string>{"_extentx", "_extenty", "sndfile", "syncsnd", "memwav"})) << name;
        EXPECT_EQ(std::get<int32_t>(bag->ReadProperty("_ExtentX", 0)), 847);
        EXPECT_EQ(std::get<int32_t>(bag->ReadProperty("_ExtentY", 0)), 847);
        EXPECT_EQ(std::get<std::string>(bag->ReadProperty("SndFile", std::string())), stored);

        platform::FakeWavePlayer player;
        NoEvents events;
        platform::EmbedSound sound(player, events, true);
        sound.UserControl_ReadProperties(*bag);
        EXPECT_FALSE(sound.SyncSnd());
        EXPECT_FALSE(sound.LoopSnd());
        EXPECT_TRUE(sound.StopSnd());
        auto expected = ReadAsset(sounds[i].file);
        ASSERT_FALSE(expected.empty()) << sounds[i].file;
        expected.push_back(0);
        EXPECT_EQ(sound.MemWav(), expected) << name;
    }
}

TEST_F(EmbeddedFormData, SpriteInstancesHoldOnlyTheirExtents) {
    const std::vector<tools::Asset> sprites = Of("sprite");
    ASSERT_EQ(sprites.size(), 3u);
    for (const tools::Asset& sprite : sprites) {
        const std::string name = sprite.entry.substr(0, sprite.entry.find('.'));
        const auto bag = form.Properties(name);
        ASSERT_TRUE(bag) << name;
        const auto record = bag->Serialize();
        ASSERT_EQ(record.size(), 72u + 8) << name;
        EXPECT_EQ(std::get<int32_t>(bag->ReadProperty("_ExtentY", 0)), 847);
    }
}
