#include "platform/form_data.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/picture_record.h"

using platform::FormData;
using platform::PropertyBag;

namespace {

std::vector<uint8_t> Bytes(std::span<const uint8_t> s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 11 + seed);
    return v;
}

PropertyBag Extents() {
    PropertyBag bag;
    bag.WriteProperty("_ExtentX", 847);
    bag.WriteProperty("_ExtentY", 847);
    return bag;
}

FormData Sample() {
    FormData form;
    form.AddPicture("Image2", Pattern(30, 1));
    form.AddPicture("Picture3(0)", Pattern(7, 2));
    form.AddProperties("autic", Extents());
    PropertyBag sound = Extents();
    sound.WriteProperty("SndFile", std::string("..\\Sounds\\zeko2.wav"), std::string());
    sound.WriteProperty("MemWav", Pattern(9, 3), int32_t{0});
    form.AddProperties("EmbedSound1(0)", sound);
    return form;
}

} // namespace

// ---- Stored picture record

TEST(PictureRecord, Layout) {
    const std::vector<uint8_t> file = {'G', 'I', 'F', '8', '7', 'a'};
    const auto record = platform::WritePictureRecord(file);
    EXPECT_EQ(record, (std::vector<uint8_t>{14, 0, 0, 0, 'l', 't', 0, 0, 6, 0, 0, 0, 'G', 'I', 'F', '8', '7', 'a'}));
    const auto parsed = platform::ParsePictureRecord(record);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(Bytes(*parsed), file);
}

TEST(PictureRecord, MalformedRecordsAreRefused) {
    const auto good = platform::WritePictureRecord(Pattern(20, 5));
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(platform::ParsePictureRecord(std::span(good.data(), n))) << "length " << n;
    auto longer = good;
    longer.push_back(0);
    EXPECT_FALSE(platform::ParsePictureRecord(longer));
    for (size_t at : {0u, 4u, 5u, 6u, 8u}) {
        auto bad = good;
        bad[at] ^= 1;
        EXPECT_FALSE(platform::ParsePictureRecord(bad)) << "byte " << at;
    }
}

// ---- Container

TEST(FormData, Layout) {
    FormData form;
    form.AddPicture("Image1", std::vector<uint8_t>{0xAB});
    const auto data = form.Serialize();
    const std::vector<uint8_t> expected = {'T', 'R', 'K', 'F', 6,   0, 'I', 'm', 'a', 'g', 'e', '1', 1, 13, 0, 0, 0,
                                           9,   0,   0,   0,   'l', 't', 0, 0,   1,   0,   0,   0,   0xAB};
    EXPECT_EQ(data, expected);
}

TEST(FormData, RoundTrip) {
    const FormData original = Sample();
    const auto data = original.Serialize();
    const auto form = FormData::Parse(data);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Names(), (std::vector<std::string>{"Image2", "Picture3(0)", "autic", "EmbedSound1(0)"}));
    EXPECT_EQ(Bytes(*form->Picture("Image2")), Pattern(30, 1));
    EXPECT_EQ(Bytes(*form->Picture("Picture3(0)")), Pattern(7, 2));
    EXPECT_EQ(form->Properties("autic")->Serialize(), Extents().Serialize());
    const auto sound = form->Properties("EmbedSound1(0)");
    ASSERT_TRUE(sound);
    EXPECT_EQ(std::get<std::vector<uint8_t>>(sound->ReadProperty("MemWav", int32_t{0})), Pattern(9, 3));
    EXPECT_EQ(form->Serialize(), data);
}

TEST(FormData, LookupsByNameAndKind) {
    const FormData form = Sample();
    EXPECT_FALSE(form.Picture("Image3"));
    EXPECT_FALSE(form.Picture("image2"));  // names are exact
    EXPECT_FALSE(form.Picture("autic"));   // a property record, not a picture
    EXPECT_FALSE(form.Properties("Image2"));
    EXPECT_FALSE(form.Properties("EmbedSound1(1)"));
    EXPECT_TRUE(form.Properties("EmbedSound1(0)"));
}

TEST(FormData, EmptyContainer) {
    const auto form = FormData::Parse(FormData().Serialize());
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->Names().empty());
}

TEST(FormData, NameGivenTwiceIsRefused) {
    FormData form = Sample();
    EXPECT_THROW(form.AddPicture("autic", Pattern(3, 0)), std::invalid_argument);

    // Two entries of the same name in the data.
    FormData one;
    one.AddPicture("x", Pattern(3, 0));
    auto data = one.Serialize();
    const std::vector<uint8_t> entry(data.begin() + 4, data.end());
    data.insert(data.end(), entry.begin(), entry.end());
    EXPECT_FALSE(FormData::Parse(data));
}

TEST(FormData, PicturesStayValidInCopies) {
    auto form = FormData::Parse(Sample().Serialize());
    ASSERT_TRUE(form);
    const auto picture = *form->Picture("Image2");

    FormData grown = *form;
    grown.AddPicture("Image1", Pattern(5000, 4));  // grows the copy's bytes, not the original's
    EXPECT_EQ(Bytes(picture), Pattern(30, 1));
    EXPECT_EQ(Bytes(*grown.Picture("Image1")), Pattern(5000, 4));
    EXPECT_FALSE(form->Picture("Image1"));

    const FormData kept = *form;
    form.reset();
    EXPECT_EQ(Bytes(picture), Pattern(30, 1));  // the plain copy still holds the bytes
    EXPECT_EQ(Bytes(*kept.Picture("Image2")), Pattern(30, 1));
}

TEST(FormData, TruncatedDataGivesNothingOrWholeEntries) {
    const auto data = Sample().Serialize();
    const auto all = Sample().Names();
    for (size_t n = 0; n < data.size(); ++n) {
        const auto form = FormData::Parse(std::span(data.data(), n));
        if (!form) continue;
        // Only a cut between two entries leaves a valid container: its first entries.
        const auto names = form->Names();
        ASSERT_LT(names.size(), all.size()) << "length " << n;
        EXPECT_TRUE(std::equal(names.begin(), names.end(), all.begin())) << "length " << n;
        EXPECT_EQ(form->Serialize().size(), n);
    }
}

TEST(FormData, CorruptDataIsRefused) {
    const auto good = Sample().Serialize();
    const auto corrupt = [&](size_t at, uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return FormData::Parse(bytes);
    };
    const size_t firstType = 4 + 2 + 6;
    EXPECT_FALSE(corrupt(0, 'X'));              // magic
    EXPECT_FALSE(corrupt(firstType, 3));        // unknown entry type
    EXPECT_FALSE(corrupt(firstType, 2));        // a picture record read as a property record
    EXPECT_FALSE(corrupt(firstType + 4, 0x10)); // length past the end
    EXPECT_FALSE(corrupt(firstType + 1, 31));   // length one short: the picture record no longer fits
    EXPECT_FALSE(corrupt(4, 0xFF));             // name length past the end
    EXPECT_FALSE(corrupt(firstType + 5 + 4, 'x'));  // inside the picture record
    const size_t lastRecord = good.size() - Sample().Properties("EmbedSound1(0)")->Serialize().size();
    EXPECT_FALSE(corrupt(lastRecord, 'X'));     // inside the last property record
}
