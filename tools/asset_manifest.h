#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace tools {

// One line of assets/manifest.txt.
struct Asset {
    std::string file;    // below assets/, with '/' between folders
    std::string entry;   // "Picture3(2)", "autic.Picture", "EmbedSound1(0)"
    std::string kind;    // icon, opaque-icon, road, title, sprite or sound
    std::string source;  // what the generator draws it from
};

// The manifest's assets in its order. Throws std::runtime_error when the file
// cannot be read, a line has not four columns, or a kind is unknown.
std::vector<Asset> ReadAssetManifest(const std::filesystem::path& manifest);

// The manifest of an assets folder.
inline std::filesystem::path ManifestOf(const std::filesystem::path& assetsDir) { return assetsDir / "manifest.txt"; }

} // namespace tools
