#include "render/bitmap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "bmp_builder.h"
#include "support/fake_platform.h"

namespace {

using bmp::Bytes;
using bmp::Colour;

const Colour kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// Decodes from a heap block of exactly the file's size, so that ASan sees any over-read.
ImagePtr Decode(const Bytes& file, DibError* error, std::size_t length = SIZE_MAX) {
    const std::size_t n = length < file.size() ? length : file.size();
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[n ? n : 1]);
    if (n) std::memcpy(exact.get(), file.data(), n);
    return DecodeDib(exact.get(), n, error);
}

ImagePtr DecodeOk(const Bytes& file) {
    DibError error;
    ImagePtr image = Decode(file, &error);
    EXPECT_TRUE(image) << DibErrorText(error);
    EXPECT_EQ(error, DibError::None);
    return image;
}

Colour At(const ImageRGB& image, int x, int row) {
    const std::uint8_t* p = image.pixels.get() + (row * image.width + x) * 3;
    return {p[0], p[1], p[2]};
}

std::string TempPath(const std::string& stem) {
    return testing::TempDir() + stem + "_" + std::to_string(getpid()) + ".bmp";
}

TEST(BitmapDecoder, TwentyFourBitIsBgrBottomRowFirstAndUnpadded) {
    // Width 3: 9 bytes per row in the file, padded to 12; the image keeps 9.
    bmp::Spec s;
    s.width = 3;
    s.height = 2;
    s.pixelData = bmp::Rows24(3, {{kRed, kGreen, kBlue}, {kWhite, Colour{1, 2, 3}, Colour{10, 20, 30}}});
    ASSERT_EQ(s.pixelData.size(), 24u);
    ImagePtr image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(At(*image, 0, 0), kRed);  // the file's first row is the bottom row
    EXPECT_EQ(At(*image, 2, 0), kBlue);
    EXPECT_EQ(At(*image, 0, 1), kWhite);  // row 1 starts 9 bytes in, not 12
    EXPECT_EQ(At(*image, 1, 1), (Colour{1, 2, 3}));
    EXPECT_EQ(At(*image, 2, 1), (Colour{10, 20, 30}));

    // Without the 14-byte file header the pixels follow the header directly.
    s.fileHeader = false;
    image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 1, 1), (Colour{1, 2, 3}));
}

TEST(BitmapDecoder, TopDownRowsBecomeBottomUp) {
    bmp::Spec s;
    s.width = 2;
    s.height = -3;  // first stored row is the top of the picture
    s.pixelData = bmp::Rows24(2, {{kRed, kRed}, {kGreen, kGreen}, {kBlue, kWhite}});
    ImagePtr image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(At(*image, 0, 0), kBlue);
    EXPECT_EQ(At(*image, 1, 0), kWhite);
    EXPECT_EQ(At(*image, 0, 1), kGreen);
    EXPECT_EQ(At(*image, 1, 2), kRed);
}

TEST(BitmapDecoder, IndexedDepthsUseTheColourTable) {
    // 1 bit, info header: pixels packed from the most significant bit.
    bmp::Spec one;
    one.width = 10;
    one.height = 1;
    one.bits = 1;
    one.palette = {kRed, kBlue};
    one.pixelData = {0b10110000, 0b01000000, 0, 0};
    ImagePtr image = DecodeOk(bmp::Build(one));
    ASSERT_TRUE(image);
    const Colour expect1[10] = {kBlue, kRed, kBlue, kBlue, kRed, kRed, kRed, kRed, kRed, kBlue};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*image, x, 0), expect1[x]) << "x=" << x;

    // The same picture with a core header and 3-byte table entries.
    one.headerSize = 12;
    image = DecodeOk(bmp::Build(one));
    ASSERT_TRUE(image);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*image, x, 0), expect1[x]) << "core x=" << x;

    // 4 bit: high nibble first.
    bmp::Spec four;
    four.width = 3;
    four.height = 1;
    four.bits = 4;
    four.palette.assign(16, kWhite);
    four.palette[2] = kGreen;
    four.palette[15] = kRed;
    four.pixelData = {0x2F, 0x20, 0, 0};
    image = DecodeOk(bmp::Build(four));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kGreen);
    EXPECT_EQ(At(*image, 1, 0), kRed);
    EXPECT_EQ(At(*image, 2, 0), kGreen);
}

TEST(BitmapDecoder, EightBitTableSizeFollowsColoursUsed) {
    // Colours used 0: a full table of 256 entries.
    bmp::Spec full;
    full.width = 2;
    full.height = 1;
    full.bits = 8;
    full.palette.assign(256, kWhite);
    full.palette[255] = kBlue;
    full.pixelData = {255, 0, 0, 0};
    ImagePtr image = DecodeOk(bmp::Build(full));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kBlue);
    EXPECT_EQ(At(*image, 1, 0), kWhite);

    // Colours used 20: only 20 entries, and without a file header the
    // pixels start right after them.
    bmp::Spec short_;
    short_.width = 2;
    short_.height = 1;
    short_.bits = 8;
    short_.colorsUsed = 20;
    short_.fileHeader = false;
    short_.palette.assign(20, kGreen);
    short_.palette[19] = kRed;
    short_.pixelData = {19, 3, 0, 0};
    image = DecodeOk(bmp::Build(short_));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kRed);
    EXPECT_EQ(At(*image, 1, 0), kGreen);
    // An index past the table is black rather than memory behind it.
    short_.pixelData = {200, 3, 0, 0};
    image = DecodeOk(bmp::Build(short_));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), (Colour{0, 0, 0}));
}

TEST(BitmapDecoder, SixteenAndThirtyTwoBitUseDefaultMasks) {
    bmp::Spec s16;
    s16.width = 2;
    s16.height = 1;
    s16.bits = 16;
    // x1r5g5b5: pure red (31, 0, 0) then (0, 16, 31).
    s16.pixelData = {0x00, 0x7C, 0x1F, 0x02};
    ImagePtr image = DecodeOk(bmp::Build(s16));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kRed);
    EXPECT_EQ(At(*image, 1, 0), (Colour{0, 132, 255}));

    bmp::Spec s32;
    s32.width = 1;
    s32.height = 2;
    s32.bits = 32;
    s32.pixelData = {1, 2, 3, 99, 30, 20, 10, 99};
    image = DecodeOk(bmp::Build(s32));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), (Colour{3, 2, 1}));
    EXPECT_EQ(At(*image, 0, 1), (Colour{10, 20, 30}));
}

TEST(BitmapDecoder, RunLengthEncodings) {
    // RLE8, 4 x 3: a run, a literal of 3 (padded to 4 bytes), end of line,
    // a jump over one pixel and one row, then end of picture.
    bmp::Spec rle8;
    rle8.width = 4;
    rle8.height = 3;
    rle8.bits = 8;
    rle8.compression = 1;
    rle8.colorsUsed = 4;
    rle8.palette = {Colour{0, 0, 0}, kRed, kGreen, kBlue};
    rle8.pixelData = {1, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1};
    ImagePtr image = DecodeOk(bmp::Build(rle8));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kRed);
    EXPECT_EQ(At(*image, 1, 0), kGreen);
    EXPECT_EQ(At(*image, 2, 0), kBlue);
    EXPECT_EQ(At(*image, 3, 0), kGreen);
    EXPECT_EQ(At(*image, 0, 1), (Colour{0, 0, 0}));  // skipped: black
    EXPECT_EQ(At(*image, 1, 2), kBlue);
    EXPECT_EQ(At(*image, 0, 2), (Colour{0, 0, 0}));

    // RLE4: a run alternates the two nibbles; a literal of 3 nibbles takes
    // 2 bytes (already even).
    bmp::Spec rle4;
    rle4.width = 6;
    rle4.height = 1;
    rle4.bits = 4;
    rle4.compression = 2;
    rle4.colorsUsed = 4;
    rle4.palette = {Colour{0, 0, 0}, kRed, kGreen, kBlue};
    rle4.pixelData = {3, 0x12, 0, 3, 0x31, 0x20, 0, 1};
    image = DecodeOk(bmp::Build(rle4));
    ASSERT_TRUE(image);
    const Colour expect[6] = {kRed, kGreen, kRed, kBlue, kRed, kGreen};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(*image, x, 0), expect[x]) << "x=" << x;
}

TEST(BitmapDecoder, CoreSizesAreUnsignedSixteenBit) {
    bmp::Spec s;
    s.headerSize = 12;
    s.width = 40000;
    s.height = 1;
    s.pixelData = bmp::Rows24(40000, {std::vector<Colour>(40000, kGreen)});
    s.pixelData[3 * 39999] = 7;  // the last pixel's blue
    ImagePtr image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 40000);
    EXPECT_EQ(At(*image, 39999, 0), (Colour{0, 255, 7}));
}

TEST(BitmapDecoder, PaletteEntryCountRules) {
    bmp::Spec core;
    core.headerSize = 12;
    core.fileHeader = false;
    bmp::Spec info;
    info.fileHeader = false;
    const std::pair<std::uint16_t, std::uint16_t> byBits[] = {{1, 2}, {4, 16}, {8, 256}, {24, 0}, {2, 0}};
    for (auto [bits, entries] : byBits) {
        core.bits = info.bits = bits;
        EXPECT_EQ(PaletteEntryCount(bmp::Build(core).data()), entries) << "core " << bits;
        EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), entries) << "info " << bits;
    }
    info.bits = 8;
    info.colorsUsed = 20;
    EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), 20);
    info.bits = 24;  // colours used wins even where no table is needed
    EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), 20);
    info.colorsUsed = 0x10005;  // cut to 16 bits
    EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), 5);
}

TEST(BitmapDecoder, RejectsWhatItCannotConvert) {
    struct Case {
        const char* what;
        bmp::Spec spec;
        DibError expected;
    };
    bmp::Spec base;
    base.width = 2;
    base.height = 2;
    base.pixelData = bmp::Rows24(2, {{kRed, kRed}, {kRed, kRed}});
    std::vector<Case> cases;
    auto add = [&](const char* what, DibError expected, auto change) {
        Case c{what, base, expected};
        change(c.spec);
        cases.push_back(c);
    };
    add("v4 header", DibError::UnknownFormat, [](bmp::Spec& s) { s.headerSize = 108; });
    add("v5 header", DibError::UnknownFormat, [](bmp::Spec& s) { s.headerSize = 124; });
    add("bit fields", DibError::ConversionError, [](bmp::Spec& s) { s.compression = 3; });
    add("2 bits", DibError::ConversionError, [](bmp::Spec& s) { s.bits = 2; });
    add("rle8 on 24 bits", DibError::ConversionError, [](bmp::Spec& s) { s.compression = 1; });
    add("top-down rle", DibError::ConversionError, [](bmp::Spec& s) {
        s.bits = 8;
        s.compression = 1;
        s.height = -2;
        s.palette.assign(256, kRed);
    });
    add("zero width", DibError::OutOfMemory, [](bmp::Spec& s) { s.width = 0; });
    add("negative width", DibError::OutOfMemory, [](bmp::Spec& s) { s.width = -2; });
    add("zero height", DibError::OutOfMemory, [](bmp::Spec& s) { s.height = 0; });
    // Sizes whose product wraps in 32 bits must still count as huge.
    add("absurd", DibError::OutOfMemory, [](bmp::Spec& s) { s.width = s.height = 0x10000; });
    add("wide", DibError::OutOfMemory, [](bmp::Spec& s) { s.width = INT_MAX; });
    add("most negative height", DibError::OutOfMemory, [](bmp::Spec& s) { s.height = INT_MIN; });
    add("just over 256 MiB", DibError::OutOfMemory, [](bmp::Spec& s) {
        s.width = 16384;
        s.height = 5462;
    });
    for (const Case& c : cases) {
        DibError error;
        EXPECT_FALSE(Decode(bmp::Build(c.spec), &error)) << c.what;
        EXPECT_EQ(error, c.expected) << c.what;
    }
}

// Files cut short anywhere (file header, bitmap header, colour table,
// pixels, run-length data) and files whose offsets or runs point past their
// end are refused; run under ASan this also proves nothing past the end is read.
TEST(BitmapDecoder, ShortOrLyingFilesAreRefusedWithoutOverread) {
    std::vector<Bytes> files;
    bmp::Spec core;  // core header, 1 bit, no padding in the last row
    core.headerSize = 12;
    core.width = 8;
    core.height = 2;
    core.bits = 1;
    core.palette = {kRed, kBlue};
    core.pixelData = {0xAA, 0, 0, 0, 0x55};
    files.push_back(bmp::Build(core));
    bmp::Spec eight;
    eight.width = 4;
    eight.height = 2;
    eight.bits = 8;
    eight.palette.assign(256, kGreen);
    eight.pixelData = {1, 2, 3, 4, 5, 6, 7, 8};
    files.push_back(bmp::Build(eight));
    eight.fileHeader = false;
    files.push_back(bmp::Build(eight));
    bmp::Spec rle;  // ends on end-of-picture while still inside the last row
    rle.width = 4;
    rle.height = 2;
    rle.bits = 8;
    rle.compression = 1;
    rle.colorsUsed = 2;
    rle.palette = {kRed, kBlue};
    rle.pixelData = {4, 1, 0, 0, 4, 0, 0, 1};
    files.push_back(bmp::Build(rle));
    files.push_back(bmp::Solid24(4, 3, kWhite));

    for (std::size_t f = 0; f < files.size(); ++f) {
        DibError error;
        ASSERT_TRUE(Decode(files[f], &error)) << "file " << f;
        for (std::size_t n = 0; n < files[f].size(); ++n) {
            EXPECT_FALSE(Decode(files[f], &error, n)) << "file " << f << " cut to " << n;
            EXPECT_EQ(error, DibError::ConversionError) << "file " << f << " cut to " << n;
        }
    }

    DibError error;
    Bytes lying = bmp::Solid24(4, 3, kWhite);
    lying[10] = 0xF0;  // pixel offset beyond the end
    EXPECT_FALSE(Decode(lying, &error));
    EXPECT_EQ(error, DibError::ConversionError);
    lying = bmp::Solid24(4, 3, kWhite);
    lying[13] = 0x80;  // pixel offset near 2^31
    EXPECT_FALSE(Decode(lying, &error));
    EXPECT_EQ(error, DibError::ConversionError);

    bmp::Spec table;  // claims 200 colours, holds 2
    table.bits = 8;
    table.colorsUsed = 200;
    table.palette = {kRed, kBlue};
    EXPECT_FALSE(Decode(bmp::Build(table), &error));
    EXPECT_EQ(error, DibError::ConversionError);

    rle.pixelData = {0, 9, 1, 2};  // a literal of 9 with 2 bytes behind it
    EXPECT_FALSE(Decode(bmp::Build(rle), &error));
    EXPECT_EQ(error, DibError::ConversionError);
    rle.pixelData = {0, 2, 1};  // a jump missing its second byte
    EXPECT_FALSE(Decode(bmp::Build(rle), &error));
    EXPECT_EQ(error, DibError::ConversionError);
}

TEST(BitmapFile, MessagesAreShownCaptionedError) {
    fake::Reset();
    const std::string unknown = TempPath("v5");
    bmp::Spec v5;
    v5.headerSize = 124;
    v5.pixelData = {1, 2, 3, 0};
    bmp::Write(unknown, bmp::Build(v5));
    EXPECT_FALSE(DecodeDibFile(unknown.c_str()));
    const std::string shortFile = TempPath("short");
    Bytes cut = bmp::Solid24(4, 4, kRed);
    cut.resize(cut.size() - 1);
    bmp::Write(shortFile, cut);
    EXPECT_FALSE(LoadBitmapFile(shortFile.c_str()));
    const std::string huge = TempPath("huge");
    bmp::Spec big;
    big.width = big.height = 30000;
    bmp::Write(huge, bmp::Build(big));
    EXPECT_FALSE(LoadBitmapFile(huge.c_str()));
    const std::string empty = TempPath("empty");
    bmp::Write(empty, {});
    EXPECT_FALSE(LoadBitmapFile(empty.c_str()));

    const auto boxes = fake::CallsNamed("MessageBox");
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "Unknown DIB file format.");
    EXPECT_EQ(boxes[1].text, "Image file conversion error.");
    EXPECT_EQ(boxes[2].text, "Out of memory.");
    EXPECT_EQ(boxes[3].text, "Failed to open DIB file " + empty + ".\n");
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.flags, plat::MB_OK);
    }
    for (const auto& path : {unknown, shortFile, huge, empty}) std::remove(path.c_str());
}

TEST(BitmapFile, MissingFilesAndGoodFiles) {
    fake::Reset();
    // LoadBitmapFile skips a missing file silently; the decoder itself
    // reports it with the whole name, however long.
    EXPECT_FALSE(LoadBitmapFile("texture/no_such_file.bmp"));
    EXPECT_FALSE(LoadBitmapFile(nullptr));
    EXPECT_TRUE(fake::CallsNamed("MessageBox").empty());
    const std::string longName = "missing/" + std::string(600, 'x') + ".bmp";
    EXPECT_FALSE(DecodeDibFile(longName.c_str()));
    const auto boxes = fake::CallsNamed("MessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to open DIB file " + longName + ".\n");
    EXPECT_EQ(boxes[0].caption, "Error");

    fake::Reset();
    const std::string good = TempPath("good");
    bmp::Write(good, bmp::Solid24(5, 2, Colour{9, 8, 7}));
    ImagePtr image = LoadBitmapFile(good.c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(At(*image, 4, 1), (Colour{9, 8, 7}));
    EXPECT_TRUE(fake::CallsNamed("MessageBox").empty());
    std::remove(good.c_str());
}

}  // namespace
