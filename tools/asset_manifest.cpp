#include "tools/asset_manifest.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tools {

std::vector<Asset> ReadAssetManifest(const std::filesystem::path& manifest) {
    static const char* const kKinds[] = {"icon", "opaque-icon", "road", "title", "sprite", "sound"};
    std::ifstream in(manifest);
    if (!in) throw std::runtime_error("cannot read " + manifest.string());
    std::vector<Asset> assets;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::istringstream words(line);
        Asset a;
        if (!(words >> a.file) || a.file[0] == '#') continue;
        std::string extra;
        if (!(words >> a.entry >> a.kind >> a.source) || (words >> extra))
            throw std::runtime_error(manifest.string() + ":" + std::to_string(number) + ": expected four columns");
        if (std::find(std::begin(kKinds), std::end(kKinds), a.kind) == std::end(kKinds))
            throw std::runtime_error(manifest.string() + ":" + std::to_string(number) + ": unknown kind " + a.kind);
        assets.push_back(std::move(a));
    }
    return assets;
}

} // namespace tools
