#include "platform/property_bag.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using platform::PropertyBag;

namespace {

uint16_t Get16(const std::vector<uint8_t>& d, size_t at) { return static_cast<uint16_t>(d[at] | d[at + 1] << 8); }

uint32_t Get32(const std::vector<uint8_t>& d, size_t at) {
    return static_cast<uint32_t>(d[at]) | static_cast<uint32_t>(d[at + 1]) << 8 |
           static_cast<uint32_t>(d[at + 2]) << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

std::vector<uint8_t> Utf16(const std::string& ascii) {
    std::vector<uint8_t> out;
    for (char c : ascii) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

// The record of the first sound instance, built as the component writes it.
PropertyBag GameSoundBag(const std::vector<uint8_t>& memWav) {
    PropertyBag bag;
    bag.WriteProperty("_ExtentX", 847);
    bag.WriteProperty("_ExtentY", 847);
    bag.WriteProperty("SndFile", std::string("..\\Sounds\\zeko2.wav"), std::string());
    bag.WriteProperty("LoopSnd", false, false);
    bag.WriteProperty("SyncSnd", false, true);
    bag.WriteProperty("StopSnd", true, true);
    bag.WriteProperty("MemWav", memWav, int32_t{0});
    return bag;
}

PropertyBag SpriteBag() {
    PropertyBag bag;
    bag.WriteProperty("_ExtentX", 847);
    bag.WriteProperty("_ExtentY", 847);
    return bag;
}

} // namespace

TEST(PropertyBagHash, KeysOfTheWindowDescription) {
    EXPECT_EQ(PropertyBag::KeyHash("_extentx"), 0x4757F20Bu);
    EXPECT_EQ(PropertyBag::KeyHash("_extenty"), 0x4757F20Au);
    EXPECT_EQ(PropertyBag::KeyHash("sndfile"), 0xA25173B8u);
    EXPECT_EQ(PropertyBag::KeyHash("syncsnd"), 0xCAF13117u);
    EXPECT_EQ(PropertyBag::KeyHash("memwav"), 0xDA5C162Du);
}

TEST(PropertyBagHash, IsTakenOfTheLowercaseKey) {
    EXPECT_EQ(PropertyBag::KeyHash("SndFile"), 0xA25173B8u);
    EXPECT_EQ(PropertyBag::KeyHash("_ExtentX"), 0x4757F20Bu);
    EXPECT_EQ(PropertyBag::KeyHash(""), 0u);
}

TEST(PropertyBagLayout, SpriteRecordByteForByte) {
    std::vector<uint8_t> expected = {'L', 'B', 9, 0, 72, 0, 0, 0, 0x93, 0xB2, 0, 0, 72, 0, 0, 0};
    const auto entry = [&](uint32_t hash, int32_t link, const char* key) {
        expected.insert(expected.end(), {3, 0, 8, 0});
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(hash >> (8 * i)));
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(static_cast<uint32_t>(link) >> (8 * i)));
        const auto k = Utf16(key);
        expected.insert(expected.end(), k.begin(), k.end());
        expected.insert(expected.end(), {0x4F, 0x03, 0, 0});  // 847
    };
    entry(0x4757F20B, 32, "_extentx");
    entry(0x4757F20A, -32, "_extenty");

    EXPECT_EQ(SpriteBag().Serialize(), expected);
}

TEST(PropertyBagLayout, FirstSoundInstanceRecord) {
    std::vector<uint8_t> memWav = Pattern(11958);
    memWav.push_back(0);
    const std::vector<uint8_t> r = GameSoundBag(memWav).Serialize();

    ASSERT_EQ(r.size(), 12164u + 8);
    EXPECT_EQ(Get32(r, 4), 12164u);
    EXPECT_EQ(Get32(r, 12), 12164u);

    // Walk the links: _extentx, _extenty, sndfile, syncsnd, memwav.
    const size_t first = 16;
    const size_t extentx = first, extenty = extentx + 32, sndfile = extenty + 32, syncsnd = sndfile + 68,
                 memwav = syncsnd + 28;
    EXPECT_EQ(Get32(r, extentx + 8), 32u);
    EXPECT_EQ(Get32(r, extenty + 8), 32u);
    EXPECT_EQ(static_cast<int32_t>(Get32(r, memwav + 8)), -160);

    // "sndfile": 12 header bytes, 14 key bytes, 4 count bytes, 38 text bytes.
    EXPECT_EQ(Get16(r, sndfile), 8);
    EXPECT_EQ(Get16(r, sndfile + 2), 7);
    EXPECT_EQ(Get32(r, sndfile + 4), 0xA25173B8u);
    EXPECT_EQ(Get32(r, sndfile + 8), 68u);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + sndfile + 12, r.begin() + sndfile + 26), Utf16("sndfile"));
    EXPECT_EQ(Get32(r, sndfile + 26), 19u);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + sndfile + 30, r.begin() + sndfile + 68), Utf16("..\\Sounds\\zeko2.wav"));

    // "syncsnd": Boolean false, padded from 28 bytes to 28.
    EXPECT_EQ(Get16(r, syncsnd), 11);
    EXPECT_EQ(Get32(r, syncsnd + 4), 0xCAF13117u);
    EXPECT_EQ(Get32(r, syncsnd + 8), 28u);
    EXPECT_EQ(Get16(r, syncsnd + 26), 0);

    EXPECT_EQ(Get16(r, memwav), 0x2011);
    EXPECT_EQ(Get16(r, memwav + 2), 6);
    EXPECT_EQ(Get32(r, memwav + 4), 0xDA5C162Du);
    EXPECT_EQ(Get16(r, memwav + 24), 1);       // dimensions
    EXPECT_EQ(Get32(r, memwav + 26), 11959u);  // elements
    EXPECT_EQ(Get32(r, memwav + 30), 0u);      // lower bound
    EXPECT_EQ(std::memcmp(r.data() + memwav + 34, memWav.data(), memWav.size()), 0);
    // 11993 bytes of entry padded with zeros to 11996.
    EXPECT_EQ(memwav + 34 + memWav.size() + 3, r.size());
    EXPECT_EQ(r[r.size() - 1], 0);
    EXPECT_EQ(r[r.size() - 3], 0);
}

TEST(PropertyBagLayout, BooleanTrueIsMinusOne) {
    PropertyBag bag;
    bag.WriteProperty("LoopSnd", true, false);
    const auto r = bag.Serialize();
    EXPECT_EQ(Get16(r, 16), 11);
    EXPECT_EQ(Get16(r, 16 + 12 + 14), 0xFFFF);
    EXPECT_EQ(static_cast<int32_t>(Get32(r, 16 + 8)), 0);  // only entry: points back to itself
}

TEST(PropertyBagLayout, TextCountIsInUtf16Units) {
    PropertyBag bag;
    bag.WriteProperty("t", std::string("\xC3\xA9\xF0\x9F\x98\x80"));  // e-acute, then one astral character
    const auto r = bag.Serialize();
    EXPECT_EQ(Get32(r, 16 + 12 + 2), 3u);
    EXPECT_EQ(Get16(r, 16 + 18), 0x00E9);
    EXPECT_EQ(Get16(r, 16 + 20), 0xD83D);
    EXPECT_EQ(Get16(r, 16 + 22), 0xDE00);
}

TEST(PropertyBagLayout, EmptyBag) {
    const auto r = PropertyBag().Serialize();
    EXPECT_EQ(r, (std::vector<uint8_t>{'L', 'B', 9, 0, 8, 0, 0, 0, 0x93, 0xB2, 0, 0, 8, 0, 0, 0}));
    ASSERT_TRUE(PropertyBag::Parse(r));
    EXPECT_TRUE(PropertyBag::Parse(r)->Entries().empty());
}

TEST(PropertyBagValues, DefaultsAreNotWritten) {
    PropertyBag bag;
    bag.WriteProperty("SndFile", std::string(), std::string());
    bag.WriteProperty("LoopSnd", false, false);
    bag.WriteProperty("SyncSnd", true, true);
    bag.WriteProperty("StopSnd", true, true);
    bag.WriteProperty("MemWav", std::vector<uint8_t>{}, int32_t{0});
    ASSERT_EQ(bag.Entries().size(), 1u);
    EXPECT_EQ(bag.Entries()[0].key, "memwav");
}

TEST(PropertyBagValues, WritingTheDefaultDropsAnEarlierValue) {
    PropertyBag bag;
    bag.WriteProperty("LoopSnd", true, false);
    EXPECT_TRUE(bag.Contains("loopsnd"));
    bag.WriteProperty("LOOPSND", false, false);
    EXPECT_FALSE(bag.Contains("LoopSnd"));
}

TEST(PropertyBagValues, RewritingKeepsThePlace) {
    PropertyBag bag;
    bag.WriteProperty("a", 1);
    bag.WriteProperty("b", 2);
    bag.WriteProperty("A", 3);
    ASSERT_EQ(bag.Entries().size(), 2u);
    EXPECT_EQ(bag.Entries()[0].key, "a");
    EXPECT_EQ(std::get<int32_t>(bag.Entries()[0].value), 3);
}

TEST(PropertyBagValues, ReadMatchesKeysWithoutRegardToCase) {
    PropertyBag bag;
    bag.WriteProperty("SndFile", std::string("x.wav"), std::string());
    EXPECT_EQ(std::get<std::string>(bag.ReadProperty("SNDFILE", std::string())), "x.wav");
    EXPECT_EQ(std::get<std::string>(bag.ReadProperty("sndfile", std::string())), "x.wav");
    EXPECT_EQ(std::get<bool>(bag.ReadProperty("SyncSnd", true)), true);
    EXPECT_EQ(std::get<int32_t>(bag.ReadProperty("MemWav", int32_t{0})), 0);
}

TEST(PropertyBagRoundTrip, EveryValueTypeComesBackExactly) {
    PropertyBag bag;
    bag.WriteProperty("_ExtentX", 847);
    bag.WriteProperty("negative", int32_t{-123456789});
    bag.WriteProperty("Empty", std::string());
    bag.WriteProperty("odd", std::string("abc"));  // 6 text bytes: entry needs padding
    bag.WriteProperty("Unicode", std::string("\xC5\xA1" "koda \xF0\x9F\x9A\x97"));
    bag.WriteProperty("yes", true);
    bag.WriteProperty("no", false);
    bag.WriteProperty("nobytes", std::vector<uint8_t>{});
    bag.WriteProperty("bytes", std::vector<uint8_t>{1, 2, 3, 4, 5});
    const auto bytes = bag.Serialize();

    const auto parsed = PropertyBag::Parse(bytes);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->Entries().size(), bag.Entries().size());
    for (size_t i = 0; i < bag.Entries().size(); ++i) {
        EXPECT_EQ(parsed->Entries()[i].key, bag.Entries()[i].key);
        EXPECT_EQ(parsed->Entries()[i].value, bag.Entries()[i].value) << bag.Entries()[i].key;
    }
    EXPECT_EQ(parsed->Serialize(), bytes);
}

TEST(PropertyBagRoundTrip, GameRecords) {
    std::vector<uint8_t> memWav = Pattern(2125);
    for (const auto& bag : {GameSoundBag(memWav), SpriteBag()}) {
        const auto bytes = bag.Serialize();
        const auto parsed = PropertyBag::Parse(bytes);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->Serialize(), bytes);
    }
}

TEST(PropertyBagParse, EveryTruncationFails) {
    std::vector<uint8_t> memWav = Pattern(9);
    const auto bytes = GameSoundBag(memWav).Serialize();
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(PropertyBag::Parse(std::span(bytes.data(), n))) << "length " << n;
}

TEST(PropertyBagParse, TrailingBytesFail) {
    auto bytes = SpriteBag().Serialize();
    bytes.push_back(0);
    EXPECT_FALSE(PropertyBag::Parse(bytes));
}

TEST(PropertyBagParse, CorruptHeaderFails) {
    const auto good = SpriteBag().Serialize();
    for (size_t at : {0u, 1u, 2u, 4u, 8u, 9u, 12u}) {
        auto bytes = good;
        bytes[at] ^= 0x01;
        EXPECT_FALSE(PropertyBag::Parse(bytes)) << "byte " << at;
    }
}

TEST(PropertyBagParse, CorruptEntryFails) {
    const auto good = SpriteBag().Serialize();
    const auto corrupt = [&](size_t at, uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return PropertyBag::Parse(bytes);
    };
    EXPECT_FALSE(corrupt(16, 4));           // unknown value type
    EXPECT_FALSE(corrupt(16 + 2, 9));       // key length off by one
    EXPECT_FALSE(corrupt(16 + 4, 0));       // hash does not match the key
    EXPECT_FALSE(corrupt(16 + 8, 36));      // link past the next entry
    EXPECT_FALSE(corrupt(48 + 8, 0xE4));    // last link does not point back to the first entry
    EXPECT_FALSE(corrupt(16 + 12, 'X'));    // key changed, hash kept
}

TEST(PropertyBagParse, OversizedCountsFail) {
    PropertyBag text;
    text.WriteProperty("t", std::string("abcd"));
    auto bytes = text.Serialize();
    bytes[16 + 14 + 3] = 0x80;  // character count 0x80000004
    EXPECT_FALSE(PropertyBag::Parse(bytes));

    PropertyBag array;
    array.WriteProperty("b", std::vector<uint8_t>{1, 2, 3, 4});
    const auto good = array.Serialize();
    bytes = good;
    bytes[16 + 14 + 2 + 3] = 0xFF;  // element count 0xFF000004
    EXPECT_FALSE(PropertyBag::Parse(bytes));
    bytes = good;
    bytes[16 + 14] = 2;  // two dimensions
    EXPECT_FALSE(PropertyBag::Parse(bytes));
    bytes = good;
    bytes[16 + 14 + 6] = 1;  // lower bound 1
    EXPECT_FALSE(PropertyBag::Parse(bytes));
}

TEST(PropertyBagParse, SingleByteDamageNeverYieldsAnInconsistentBag) {
    std::vector<uint8_t> memWav = Pattern(5);
    const auto good = GameSoundBag(memWav).Serialize();
    for (size_t at = 0; at < good.size(); ++at) {
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            auto bytes = good;
            bytes[at] ^= flip;
            if (auto bag = PropertyBag::Parse(bytes)) {
                // Only padding or value bytes can change without notice; the result still re-parses.
                EXPECT_TRUE(PropertyBag::Parse(bag->Serialize())) << "byte " << at;
            }
        }
    }
}
