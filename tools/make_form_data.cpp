// Build step: packs the game window's pictures and sounds into its description
// data (platform/form_data.h). Usage: trakmor-make-form-data <assets dir> <output file>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/embed_sound.h"
#include "platform/form_data.h"

namespace fs = std::filesystem;

namespace {

struct PictureAsset {
    const char* name;
    const char* file;
};

// Keep in step with the asset list in cmake/form_data.cmake.
constexpr PictureAsset kPictures[] = {
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

// EmbedSound1(0) to EmbedSound1(4), by cue number.
constexpr const char* kSounds[] = {"zeko2.wav", "bomba2.wav", "skrenuo2.wav", "lova3.wav", "repair3.wav"};
constexpr const char* kSprites[] = {"autic", "auticl", "auticd"};

constexpr int32_t kExtent = 847;  // 32 pixels in hundredths of a millimetre

class NoPlayer : public platform::WavePlayer {
public:
    bool PlaySoundA(const uint8_t*, size_t, uint32_t) override { return false; }
};

class NoEvents : public platform::EventPump {
public:
    void Yield(double) override {}
};

std::optional<std::vector<uint8_t>> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

platform::PropertyBag Extents() {
    platform::PropertyBag bag;
    bag.WriteProperty("_ExtentX", kExtent);
    bag.WriteProperty("_ExtentY", kExtent);
    return bag;
}

// Embeds one sound the way the window's author did: from a working directory
// beside Sounds/, so that the stored relative path names the file.
bool AddSound(platform::FormData& form, int index, const char* file) {
    NoPlayer player;
    NoEvents events;
    platform::EmbedSound sound(player, events, false);
    bool failed = false;
    sound.MessageBox = [&](const std::string& text, const std::string& title, int) {
        if (title == "EmbedSound Error") {
            std::string oneLine = text;
            if (const auto at = oneLine.find("\r\n"); at != std::string::npos) oneLine.replace(at, 2, " ");
            std::cerr << "make_form_data: " << file << ": " << oneLine << '\n';
            failed = true;
        }
    };
    sound.UserControl_InitProperties();
    sound.SetSndFile(std::string("..\\Sounds\\") + file);
    sound.SetSyncSnd(false);
    if (failed) return false;
    platform::PropertyBag bag = Extents();
    sound.UserControl_WriteProperties(bag);
    form.AddProperties("EmbedSound1(" + std::to_string(index) + ")", bag);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " <assets dir> <output file>\n";
        return 2;
    }
    const fs::path assets = fs::absolute(argv[1]);
    const fs::path output = fs::absolute(argv[2]);

    platform::FormData form;
    for (const PictureAsset& p : kPictures) {
        const auto bytes = ReadFile(assets / p.file);
        if (!bytes || bytes->empty()) {
            std::cerr << "make_form_data: cannot read " << (assets / p.file) << '\n';
            return 1;
        }
        form.AddPicture(p.name, *bytes);
    }

    std::error_code ec;
    fs::current_path(assets / "Sounds", ec);
    if (ec) {
        std::cerr << "make_form_data: " << (assets / "Sounds") << ": " << ec.message() << '\n';
        return 1;
    }
    for (int i = 0; i < static_cast<int>(std::size(kSounds)); ++i)
        if (!AddSound(form, i, kSounds[i])) return 1;

    for (const char* sprite : kSprites) form.AddProperties(sprite, Extents());

    const std::vector<uint8_t> data = form.Serialize();
    fs::create_directories(output.parent_path(), ec);
    const fs::path temp = output.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!out) {
            std::cerr << "make_form_data: cannot write " << temp << '\n';
            return 1;
        }
    }
    fs::rename(temp, output, ec);
    if (ec) {
        std::cerr << "make_form_data: " << output << ": " << ec.message() << '\n';
        return 1;
    }
    return 0;
}
