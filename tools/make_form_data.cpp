// Build step: packs the game window's pictures and sounds, as the assets
// folder's manifest lists them, into its description data (platform/form_data.h).
// Usage: trakmor-make-form-data <assets dir> <output file>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/embed_sound.h"
#include "platform/form_data.h"
#include "tools/asset_manifest.h"

namespace fs = std::filesystem;

namespace {

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
// beside the sound's folder, so that the stored relative path names the file.
bool AddSound(platform::FormData& form, const fs::path& assets, const tools::Asset& asset) {
    if (asset.file.find('/') == std::string::npos) {
        std::cerr << "make_form_data: " << asset.file << ": a sound lives in a folder below the assets\n";
        return false;
    }
    std::error_code ec;
    const fs::path folder = (assets / asset.file).parent_path();
    fs::current_path(folder, ec);
    if (ec) {
        std::cerr << "make_form_data: " << folder << ": " << ec.message() << '\n';
        return false;
    }
    std::string stored = "..\\" + asset.file;
    std::replace(stored.begin(), stored.end(), '/', '\\');
    NoPlayer player;
    NoEvents events;
    platform::EmbedSound sound(player, events, false);
    bool failed = false;
    sound.MessageBox = [&](const std::string& text, const std::string& title, int) {
        if (title == "EmbedSound Error") {
            std::string oneLine = text;
            if (const auto at = oneLine.find("\r\n"); at != std::string::npos) oneLine.replace(at, 2, " ");
            std::cerr << "make_form_data: " << asset.file << ": " << oneLine << '\n';
            failed = true;
        }
    };
    sound.UserControl_InitProperties();
    sound.SetSndFile(stored);
    sound.SetSyncSnd(false);
    if (failed) return false;
    platform::PropertyBag bag = Extents();
    sound.UserControl_WriteProperties(bag);
    form.AddProperties(asset.entry, bag);
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

    std::vector<tools::Asset> manifest;
    try {
        manifest = tools::ReadAssetManifest(tools::ManifestOf(assets));
    } catch (const std::exception& e) {
        std::cerr << "make_form_data: " << e.what() << '\n';
        return 1;
    }

    // Pictures first, then the sounds, then the sprites' sizes.
    platform::FormData form;
    for (const tools::Asset& a : manifest) {
        if (a.kind == "sound") continue;
        const auto bytes = ReadFile(assets / a.file);
        if (!bytes || bytes->empty()) {
            std::cerr << "make_form_data: cannot read " << (assets / a.file) << '\n';
            return 1;
        }
        form.AddPicture(a.entry, *bytes);
    }
    for (const tools::Asset& a : manifest)
        if (a.kind == "sound" && !AddSound(form, assets, a)) return 1;
    for (const tools::Asset& a : manifest)
        if (a.kind == "sprite") form.AddProperties(a.entry.substr(0, a.entry.find('.')), Extents());

    const std::vector<uint8_t> data = form.Serialize();
    std::error_code ec;
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
