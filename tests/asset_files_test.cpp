// The committed picture and sound files, as assets/manifest.txt lists them:
// their exact layouts, which the window description and the sound component
// copy byte for byte, and the pixel facts the game relies on when it paints them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "tools/asset_manifest.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::filesystem::path kAssets = TRAKMOR_SOURCE_DIR "/assets";

Bytes ReadAsset(const std::string& name) {
    std::ifstream in(kAssets / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files of the given kinds, for the cases below. A manifest that cannot be
// read gives none: ManifestTest says why.
std::vector<std::string> FilesOf(std::initializer_list<std::string> kinds) {
    std::vector<std::string> files;
    try {
        for (const tools::Asset& a : tools::ReadAssetManifest(tools::ManifestOf(kAssets)))
            if (std::find(kinds.begin(), kinds.end(), a.kind) != kinds.end()) files.push_back(a.file);
    } catch (const std::exception&) {
    }
    return files;
}

// A test case's name for a file: its name without folder and extension.
std::string CaseName(std::string file) {
    file = file.substr(file.rfind('/') + 1);
    return file.substr(0, file.find('.'));
}

TEST(ManifestTest, ListsEveryCommittedAssetOnceAndNothingElse) {
    const std::vector<tools::Asset> manifest = tools::ReadAssetManifest(tools::ManifestOf(kAssets));
    std::set<std::string> files, entries;
    for (const tools::Asset& a : manifest) {
        EXPECT_TRUE(files.insert(a.file).second) << a.file << " listed twice";
        EXPECT_TRUE(entries.insert(a.entry).second) << a.entry << " filled twice";
        EXPECT_TRUE(std::filesystem::is_regular_file(kAssets / a.file)) << a.file << " is not in assets/";
    }
    for (const auto& e : std::filesystem::recursive_directory_iterator(kAssets)) {
        if (!e.is_regular_file()) continue;
        const std::string file = std::filesystem::relative(e.path(), kAssets).generic_string();
        if (file == "manifest.txt") continue;
        EXPECT_TRUE(files.count(file)) << file << " is not in the manifest";
    }
    std::map<std::string, int> kinds;
    for (const tools::Asset& a : manifest) ++kinds[a.kind];
    EXPECT_EQ(kinds, (std::map<std::string, int>{
                         {"icon", 13}, {"opaque-icon", 1}, {"road", 2}, {"sound", 5}, {"sprite", 3}, {"title", 1}}));
}

TEST(ManifestTest, RefusesAMalformedLine) {
    const testing_support::TempDir temp;
    const std::filesystem::path dir = temp.path() / "assets";
    std::filesystem::create_directories(dir);
    const auto manifest = tools::ManifestOf(dir);
    std::ofstream(manifest) << "# comment\n\n  a.ico  Image1  icon  bag\n";
    EXPECT_EQ(tools::ReadAssetManifest(manifest).size(), 1u);
    std::ofstream(manifest) << "a.ico Image1 icon\n";
    EXPECT_THROW(tools::ReadAssetManifest(manifest), std::runtime_error) << "three columns";
    std::ofstream(manifest) << "a.ico Image1 icon bag extra\n";
    EXPECT_THROW(tools::ReadAssetManifest(manifest), std::runtime_error) << "five columns";
    std::ofstream(manifest) << "a.ico Image1 bitmap bag\n";
    EXPECT_THROW(tools::ReadAssetManifest(manifest), std::runtime_error) << "unknown kind";
    std::filesystem::remove_all(dir);
    EXPECT_THROW(tools::ReadAssetManifest(manifest), std::runtime_error) << "no file";
}

uint16_t U16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b.at(at) | b.at(at + 1) << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16; }
int32_t I32(const Bytes& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }
std::string Text(const Bytes& b, size_t at, size_t n) {
    return at + n <= b.size() ? std::string(b.begin() + at, b.begin() + at + n) : std::string();
}

// ---------------------------------------------------------------- icons

constexpr size_t kIconFileSize = 2238;
constexpr size_t kPaletteAt = 22 + 40;
constexpr size_t kXorAt = kPaletteAt + 1024;
constexpr size_t kAndAt = kXorAt + 1024;

// x, y from the top-left, as seen on screen; the bitmaps are stored bottom-up.
bool Masked(const Bytes& ico, int x, int y) {
    const uint8_t byte = ico.at(kAndAt + (31 - y) * 4 + x / 8);
    return byte & (0x80 >> (x % 8));
}
uint8_t ColourIndex(const Bytes& ico, int x, int y) { return ico.at(kXorAt + (31 - y) * 32 + x); }

struct IconCase {
    std::string file;
    bool masked;
};
void PrintTo(const IconCase& c, std::ostream* os) { *os << c.file; }

std::vector<IconCase> Icons() {
    std::vector<IconCase> icons;
    for (const std::string& f : FilesOf({"icon"})) icons.push_back({f, true});
    for (const std::string& f : FilesOf({"opaque-icon"})) icons.push_back({f, false});
    return icons;
}

class IconFile : public testing::TestWithParam<IconCase> {};

TEST_P(IconFile, HasOneEightBitImageWithItsMask) {
    const Bytes ico = ReadAsset(GetParam().file);
    ASSERT_EQ(ico.size(), kIconFileSize);
    // ICONDIR: reserved, type 1 (icon), one image.
    EXPECT_EQ(U16(ico, 0), 0);
    EXPECT_EQ(U16(ico, 2), 1);
    EXPECT_EQ(U16(ico, 4), 1);
    // ICONDIRENTRY.
    EXPECT_EQ(ico[6], 32);
    EXPECT_EQ(ico[7], 32);
    EXPECT_EQ(ico[8], 0) << "colour count of an 8-bit image is written as 0";
    EXPECT_EQ(ico[9], 0);
    EXPECT_EQ(U16(ico, 10), 1);
    EXPECT_EQ(U16(ico, 12), 8);
    EXPECT_EQ(U32(ico, 14), 2216u);
    EXPECT_EQ(U32(ico, 18), 22u);
    // BITMAPINFOHEADER: the height counts the colour and mask bitmaps.
    EXPECT_EQ(U32(ico, 22), 40u);
    EXPECT_EQ(I32(ico, 26), 32);
    EXPECT_EQ(I32(ico, 30), 64);
    EXPECT_EQ(U16(ico, 34), 1);
    EXPECT_EQ(U16(ico, 36), 8);
    EXPECT_EQ(U32(ico, 38), 0u) << "uncompressed";
    const uint32_t image_size = U32(ico, 42);
    EXPECT_TRUE(image_size == 0 || image_size == 1152) << image_size;
    for (size_t at = 46; at < 62; at += 4) EXPECT_EQ(U32(ico, at), 0u) << "header field at " << at;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(ico[kPaletteAt + 4 * i + 3], 0) << "palette entry " << i;
}

TEST_P(IconFile, MasksTheGroundAroundTheFigureOnly) {
    const Bytes ico = ReadAsset(GetParam().file);
    ASSERT_EQ(ico.size(), kIconFileSize);
    int masked = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!Masked(ico, x, y)) continue;
            ++masked;
            // Masked pixels are black so that the colour pass leaves the ground alone.
            EXPECT_EQ(ColourIndex(ico, x, y), 0) << x << "," << y;
        }
    }
    if (!GetParam().masked) {
        EXPECT_EQ(masked, 0) << "the sound component's face is a full square";
        return;
    }
    EXPECT_GT(masked, 0);
    EXPECT_LT(masked, 32 * 32 - 100) << "the figure should fill a good part of the icon";
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
        EXPECT_TRUE(Masked(ico, x, y)) << "corner " << x << "," << y;
    }
    // Index 0 is black for the masked pixels.
    EXPECT_EQ(ico[kPaletteAt + 0], 0);
    EXPECT_EQ(ico[kPaletteAt + 1], 0);
    EXPECT_EQ(ico[kPaletteAt + 2], 0);
}

INSTANTIATE_TEST_SUITE_P(AllIcons, IconFile, testing::ValuesIn(Icons()),
                         [](const testing::TestParamInfo<IconCase>& p) { return CaseName(p.param.file); });

// ---------------------------------------------------------------- GIFs

struct Gif {
    std::string version;
    int width = 0;
    int height = 0;
    std::vector<std::array<uint8_t, 3>> palette;
    bool has_extension = false;
    std::vector<uint8_t> indexes;

    std::array<uint8_t, 3> At(int x, int y) const { return palette.at(indexes.at(y * width + x)); }
};

std::optional<std::vector<uint8_t>> LzwDecode(const Bytes& data, int min_code_size, size_t pixels) {
    const int clear = 1 << min_code_size;
    const int end = clear + 1;
    std::vector<std::vector<uint8_t>> table;
    auto reset = [&] {
        table.clear();
        for (int i = 0; i < clear; ++i) table.push_back({static_cast<uint8_t>(i)});
        table.push_back({});
        table.push_back({});
    };
    reset();
    int width = min_code_size + 1;
    size_t bit = 0;
    int previous = -1;
    std::vector<uint8_t> out;
    while (bit + width <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            width = min_code_size + 1;
            previous = -1;
            continue;
        }
        if (code == end) return out.size() == pixels ? std::optional(out) : std::nullopt;
        std::vector<uint8_t> entry;
        if (code < static_cast<int>(table.size()) && code != clear && code != end) {
            entry = table[code];
        } else if (code == static_cast<int>(table.size()) && previous >= 0) {
            entry = table[previous];
            entry.push_back(table[previous][0]);
        } else {
            return std::nullopt;
        }
        if (previous >= 0 && table.size() < 4096) {
            std::vector<uint8_t> added = table[previous];
            added.push_back(entry[0]);
            table.push_back(added);
            if (table.size() == (1u << width) && width < 12) ++width;
        }
        out.insert(out.end(), entry.begin(), entry.end());
        previous = code;
    }
    return std::nullopt;  // no end code
}

// Reads a single-image GIF with a global colour table; nullopt if malformed.
std::optional<Gif> ReadGif(const std::string& name) {
    const Bytes b = ReadAsset(name);
    if (b.size() < 13 + 768 || Text(b, 0, 3) != "GIF") return std::nullopt;
    Gif gif;
    gif.version = Text(b, 3, 3);
    gif.width = U16(b, 6);
    gif.height = U16(b, 8);
    const uint8_t flags = b[10];
    if (!(flags & 0x80)) return std::nullopt;
    const size_t entries = size_t{2} << (flags & 7);
    size_t at = 13;
    for (size_t i = 0; i < entries; ++i, at += 3) gif.palette.push_back({b.at(at), b.at(at + 1), b.at(at + 2)});
    while (at < b.size() && b[at] == 0x21) {  // skip extensions, noting them
        gif.has_extension = true;
        at += 2;
        while (at < b.size() && b[at] != 0) at += b[at] + 1;
        ++at;
    }
    if (at + 11 > b.size() || b[at] != 0x2C) return std::nullopt;
    if (U16(b, at + 1) != 0 || U16(b, at + 3) != 0 || U16(b, at + 5) != gif.width ||
        U16(b, at + 7) != gif.height || (b[at + 9] & 0xC0) != 0) {
        return std::nullopt;  // not a whole-screen, non-interlaced frame with the global table
    }
    const int min_code_size = b[at + 10];
    at += 11;
    Bytes data;
    while (at < b.size() && b[at] != 0) {
        const size_t n = b[at];
        if (at + 1 + n > b.size()) return std::nullopt;
        data.insert(data.end(), b.begin() + at + 1, b.begin() + at + 1 + n);
        at += n + 1;
    }
    if (at + 2 != b.size() || b[at + 1] != 0x3B) return std::nullopt;  // block end, then the trailer
    auto pixels = LzwDecode(data, min_code_size, static_cast<size_t>(gif.width) * gif.height);
    if (!pixels) return std::nullopt;
    gif.indexes = std::move(*pixels);
    for (uint8_t i : gif.indexes) {
        if (i >= gif.palette.size()) return std::nullopt;
    }
    return gif;
}

constexpr std::array<uint8_t, 3> kWhite{0xFF, 0xFF, 0xFF};
constexpr std::array<uint8_t, 3> kBlack{0x00, 0x00, 0x00};
constexpr std::array<uint8_t, 3> kGrass{0xCC, 0xFF, 0xCC};
constexpr std::array<uint8_t, 3> kSurface{0xCC, 0xFF, 0xFF};

// Mean x of the topmost row that holds car pixels: where the front points.
double NoseX(const Gif& car) {
    for (int y = 0; y < car.height; ++y) {
        double sum = 0;
        int count = 0;
        for (int x = 0; x < car.width; ++x) {
            if (car.At(x, y) != kWhite) {
                sum += x;
                ++count;
            }
        }
        if (count) return sum / count;
    }
    return -1;
}

class CarSprite : public testing::TestWithParam<std::string> {};

TEST_P(CarSprite, IsAWhiteKeyedGif87aOf32By32) {
    const auto car = ReadGif(GetParam());
    ASSERT_TRUE(car) << "not a readable GIF";
    EXPECT_EQ(car->version, "87a");
    EXPECT_EQ(car->width, 32);
    EXPECT_EQ(car->height, 32);
    EXPECT_EQ(car->palette.size(), 256u);
    EXPECT_FALSE(car->has_extension) << "no transparency extension: white is the key";
}

TEST_P(CarSprite, WhiteOnlyAroundTheCar) {
    const auto car = ReadGif(GetParam());
    ASSERT_TRUE(car);
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
        EXPECT_EQ(car->At(x, y), kWhite) << "corner " << x << "," << y;
    }
    EXPECT_NE(car->At(15, 15), kWhite);
    EXPECT_NE(car->At(16, 16), kWhite);
    // Every white pixel must be reachable from the border through white:
    // white inside the car would let the road show through it.
    std::vector<bool> outside(32 * 32, false);
    std::vector<std::pair<int, int>> todo;
    for (int i = 0; i < 32; ++i) {
        for (auto [x, y] : {std::pair{i, 0}, {i, 31}, {0, i}, {31, i}}) todo.push_back({x, y});
    }
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        if (x < 0 || y < 0 || x > 31 || y > 31 || outside[y * 32 + x] || car->At(x, y) != kWhite) continue;
        outside[y * 32 + x] = true;
        todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    int car_pixels = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (car->At(x, y) == kWhite) {
                EXPECT_TRUE(outside[y * 32 + x]) << "white hole in the car at " << x << "," << y;
            } else {
                ++car_pixels;
            }
        }
    }
    EXPECT_GT(car_pixels, 250);
}

INSTANTIATE_TEST_SUITE_P(AllCars, CarSprite, testing::ValuesIn(FilesOf({"sprite"})),
                         [](const testing::TestParamInfo<std::string>& p) {
                             const std::string name = CaseName(p.param);
                             return name.substr(name.find('_') + 1);
                         });

TEST(CarSprites, TurnedOnesPointTheirFrontToTheirSide) {
    const auto straight = ReadGif("usercontrol1_car.gif");
    const auto left = ReadGif("usercontrol2_car_left.gif");
    const auto right = ReadGif("usercontrol3_car_right.gif");
    ASSERT_TRUE(straight && left && right);
    EXPECT_NEAR(NoseX(*straight), 15.5, 0.6);
    EXPECT_LT(NoseX(*left), 15.0);
    EXPECT_GT(NoseX(*right), 16.0);
}

enum class Span { Grass, Edge, Surface };

// Checks one scanline of a road piece against the straight road's layout
// moved right by shift. Edges may be black or kerb, but never grass or surface.
void ExpectRoadRow(const Gif& gif, int y, int shift) {
    auto span_at = [&](int x) {
        const int rx = x - shift;
        if (rx < 22 || rx > 201) return Span::Grass;
        if (rx < 32 || rx > 191) return Span::Edge;
        return Span::Surface;
    };
    for (int x = 0; x < gif.width; ++x) {
        const auto colour = gif.At(x, y);
        switch (span_at(x)) {
        case Span::Grass: EXPECT_EQ(colour, kGrass) << "grass at " << x << "," << y; break;
        case Span::Surface: EXPECT_EQ(colour, kSurface) << "surface at " << x << "," << y; break;
        case Span::Edge:
            EXPECT_NE(colour, kGrass) << "edge at " << x << "," << y;
            EXPECT_NE(colour, kSurface) << "edge at " << x << "," << y;
            break;
        }
        if (::testing::Test::HasFailure()) return;  // one report per row is enough
    }
}

TEST(RoadPieces, StraightPieceHasItsColoursAtExactColumns) {
    const auto gif = ReadGif("sravno.gif");
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->version, "89a");
    EXPECT_EQ(gif->width, 224);
    EXPECT_EQ(gif->height, 32);
    EXPECT_EQ(gif->palette.size(), 256u);
    EXPECT_FALSE(gif->has_extension) << "opaque: no transparency extension";
    for (int y = 0; y < 32; ++y) {
        ExpectRoadRow(*gif, y, 0);
        for (int x : {22, 31, 192, 201}) EXPECT_EQ(gif->At(x, y), kBlack) << x << "," << y;
    }
}

TEST(RoadPieces, CurveMeetsStraightPiecesAtBothEnds) {
    const auto gif = ReadGif("sdesno.gif");
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->version, "89a");
    EXPECT_EQ(gif->width, 320);
    EXPECT_EQ(gif->height, 128);
    EXPECT_EQ(gif->palette.size(), 256u);
    EXPECT_FALSE(gif->has_extension);
    for (int y = 96; y < 128; ++y) ExpectRoadRow(*gif, y, 0);
    for (int y = 0; y < 32; ++y) ExpectRoadRow(*gif, y, 96);
}

TEST(RoadPieces, CurveBendsSmoothlyWithAKerbLow) {
    const auto gif = ReadGif("sdesno.gif");
    ASSERT_TRUE(gif);
    // The surface's left border moves right step by step, never back.
    int previous = 32;
    for (int y = 127; y >= 0; --y) {
        int left = 0;
        while (left < gif->width && gif->At(left, y) != kSurface) ++left;
        EXPECT_GE(left, previous) << "row " << y;
        EXPECT_LE(left - previous, 4) << "row " << y << " jumps";
        previous = left;
    }
    EXPECT_EQ(previous, 128);
    auto counts = [&](int y0, int y1) {
        std::array<int, 3> red_white_black{};
        for (int y = y0; y < y1; ++y) {
            for (int x = 0; x < gif->width; ++x) {
                const auto c = gif->At(x, y);
                if (c == kWhite) ++red_white_black[1];
                else if (c == kBlack) ++red_white_black[2];
                else if (c[0] > 0xC0 && c[1] < 0x60 && c[2] < 0x60) ++red_white_black[0];
            }
        }
        return red_white_black;
    };
    const auto low = counts(64, 128);
    EXPECT_GT(low[0], 100) << "red kerb stripes in the lower half";
    EXPECT_GT(low[1], 100) << "white kerb stripes in the lower half";
    const auto top = counts(0, 32);
    EXPECT_EQ(top[0], 0);
    EXPECT_EQ(top[1], 0);
    EXPECT_EQ(top[2], 32 * 20) << "plain black edges where the bend is done";
}

// ---------------------------------------------------------------- title

TEST(TitlePicture, IsABaselineJpegOf190By90InThreeComponents) {
    const Bytes jpg = ReadAsset("picture5_title.jpg");
    ASSERT_GT(jpg.size(), 4u);
    ASSERT_EQ(jpg[0], 0xFF);
    ASSERT_EQ(jpg[1], 0xD8);
    EXPECT_EQ(jpg[jpg.size() - 2], 0xFF);
    EXPECT_EQ(jpg[jpg.size() - 1], 0xD9);
    size_t at = 2;
    std::optional<size_t> sof;
    while (at + 4 <= jpg.size() && jpg[at] == 0xFF) {
        const uint8_t marker = jpg[at + 1];
        if (marker == 0xDA) break;  // image data follows
        if (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            FAIL() << "frame type other than baseline: " << std::hex << int{marker};
        }
        if (marker == 0xC0) sof = at;
        at += 2 + (jpg[at + 2] << 8 | jpg[at + 3]);
    }
    ASSERT_TRUE(sof) << "no SOF0";
    const size_t s = *sof + 4;
    EXPECT_EQ(jpg.at(s), 8) << "8-bit samples";
    EXPECT_EQ(jpg.at(s + 1) << 8 | jpg.at(s + 2), 90);
    EXPECT_EQ(jpg.at(s + 3) << 8 | jpg.at(s + 4), 190);
    EXPECT_EQ(jpg.at(s + 5), 3);
}

// ---------------------------------------------------------------- sounds

struct WavCase {
    std::string file;
    size_t file_size;
    uint32_t samples;
    const char* artist;  // IART text of the trailing LIST chunk, or null
};
void PrintTo(const WavCase& c, std::ostream* os) { *os << c.file; }

// What each cue's file holds.
const std::map<std::string, WavCase> kWavFacts = {
    {"Sounds/zeko2.wav", {"Sounds/zeko2.wav", 11958, 11900, nullptr}},
    {"Sounds/bomba2.wav", {"Sounds/bomba2.wav", 11166, 11107, nullptr}},
    {"Sounds/skrenuo2.wav", {"Sounds/skrenuo2.wav", 5610, 5552, nullptr}},
    {"Sounds/lova3.wav", {"Sounds/lova3.wav", 2124, 2040, "lova2"}},
    {"Sounds/repair3.wav", {"Sounds/repair3.wav", 3216, 3130, "repair2"}},
};

std::vector<WavCase> Wavs() {
    std::vector<WavCase> wavs;
    for (const std::string& f : FilesOf({"sound"})) {
        const auto it = kWavFacts.find(f);
        // A sound with no facts here fails its cases on its size.
        wavs.push_back(it != kWavFacts.end() ? it->second : WavCase{f, 0, 0, nullptr});
    }
    return wavs;
}

class WavFile : public testing::TestWithParam<WavCase> {};

TEST_P(WavFile, HasTheExactChunkLayout) {
    const WavCase& w = GetParam();
    const Bytes b = ReadAsset(w.file);
    ASSERT_EQ(b.size(), w.file_size);
    EXPECT_EQ(Text(b, 0, 4), "RIFF");
    EXPECT_EQ(U32(b, 4), w.file_size - 8);
    EXPECT_EQ(Text(b, 8, 4), "WAVE");
    EXPECT_EQ(Text(b, 12, 4), "fmt ");
    EXPECT_EQ(U32(b, 16), 18u);
    EXPECT_EQ(U16(b, 20), 1) << "PCM";
    EXPECT_EQ(U16(b, 22), 1) << "mono";
    EXPECT_EQ(U32(b, 24), 11025u);
    EXPECT_EQ(U32(b, 28), 11025u);
    EXPECT_EQ(U16(b, 32), 1);
    EXPECT_EQ(U16(b, 34), 8);
    EXPECT_EQ(U16(b, 36), 0) << "extension size";
    EXPECT_EQ(Text(b, 38, 4), "fact");
    EXPECT_EQ(U32(b, 42), 4u);
    EXPECT_EQ(U32(b, 46), w.samples);
    EXPECT_EQ(Text(b, 50, 4), "data");
    EXPECT_EQ(U32(b, 54), w.samples) << "fact count and data length agree";
    size_t at = 58 + w.samples;
    if (w.samples % 2) {
        ASSERT_LT(at, b.size());
        EXPECT_EQ(b[at], 0) << "pad byte after odd data";
        ++at;
    }
    if (!w.artist) {
        EXPECT_EQ(at, b.size()) << "nothing after the data";
        return;
    }
    const std::string artist = w.artist;
    const size_t text_size = artist.size() + 1;  // with its NUL
    ASSERT_EQ(Text(b, at, 4), "LIST");
    EXPECT_EQ(U32(b, at + 4), b.size() - at - 8) << "LIST runs to the end";
    EXPECT_EQ(Text(b, at + 8, 4), "INFO");
    EXPECT_EQ(Text(b, at + 12, 4), "IART");
    EXPECT_EQ(U32(b, at + 16), text_size);
    EXPECT_EQ(Text(b, at + 20, text_size), artist + std::string(1, '\0'));
    EXPECT_EQ(at + 20 + text_size + text_size % 2, b.size());
}

TEST_P(WavFile, StartsAndEndsInSilenceAndIsLoud) {
    const WavCase& w = GetParam();
    const Bytes b = ReadAsset(w.file);
    ASSERT_EQ(b.size(), w.file_size);
    const auto first = b.begin() + 58;
    const auto last = first + w.samples;
    // Starting or stopping away from the middle line clicks.
    EXPECT_EQ(*first, 0x80);
    EXPECT_EQ(*(last - 1), 0x80);
    int peak = 0;
    for (auto it = first; it != last; ++it) peak = std::max(peak, std::abs(int{*it} - 0x80));
    EXPECT_GE(peak, 100) << "cue too quiet";
    EXPECT_LT(peak, 128) << "clipped against the rail";
}

INSTANTIATE_TEST_SUITE_P(AllSounds, WavFile, testing::ValuesIn(Wavs()),
                         [](const testing::TestParamInfo<WavCase>& p) { return CaseName(p.param.file); });

}  // namespace
