#include "render/bitmap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "bmp_builder.h"
#include "platform/fake/fake_platform.h"

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

using bmp::Pic;

TEST(BitmapDecoder, TwentyFourBitIsBgrBottomRowFirstAndUnpadded) {
    // Width 3: 9 bytes per row in the file, padded to 12; the image keeps 9.
    bmp::Layout s = Pic(3, 2, 24, bmp::Rows24(3, {{kRed, kGreen, kBlue}, {kWhite, {1, 2, 3}, {10, 20, 30}}}));
    ASSERT_EQ(s.pixelData.size(), 24u);
    for (bool fileHeader : {true, false}) {  // without it the pixels follow the header
        s.fileHeader = fileHeader;
        ImagePtr image = DecodeOk(bmp::Build(s));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 3);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(At(*image, 0, 0), kRed);  // the file's first row is the bottom row
        EXPECT_EQ(At(*image, 2, 0), kBlue);
        EXPECT_EQ(At(*image, 0, 1), kWhite);  // row 1 starts 9 bytes in, not 12
        EXPECT_EQ(At(*image, 2, 1), (Colour{10, 20, 30}));
    }
}

TEST(BitmapDecoder, TopDownRowsBecomeBottomUp) {
    // The first stored row is the top of the picture.
    ImagePtr image = DecodeOk(bmp::Build(Pic(2, -3, 24, bmp::Rows24(2, {{kRed, kRed}, {kGreen, kGreen}, {kBlue, kWhite}}))));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(At(*image, 0, 0), kBlue);
    EXPECT_EQ(At(*image, 1, 0), kWhite);
    EXPECT_EQ(At(*image, 0, 1), kGreen);
    EXPECT_EQ(At(*image, 1, 2), kRed);
}

TEST(BitmapDecoder, IndexedDepthsUseTheColourTable) {
    // 1 bit, packed from the most significant bit; info and core headers.
    bmp::Layout one = Pic(10, 1, 1, {0b10110000, 0b01000000, 0, 0}, {kRed, kBlue});
    const Colour expect1[10] = {kBlue, kRed, kBlue, kBlue, kRed, kRed, kRed, kRed, kRed, kBlue};
    for (std::uint32_t headerSize : {40u, 12u}) {
        one.headerSize = headerSize;
        ImagePtr image = DecodeOk(bmp::Build(one));
        ASSERT_TRUE(image);
        for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*image, x, 0), expect1[x]) << headerSize << " x=" << x;
    }

    // 4 bit: high nibble first.
    std::vector<Colour> sixteen(16, kWhite);
    sixteen[2] = kGreen;
    sixteen[15] = kRed;
    ImagePtr image = DecodeOk(bmp::Build(Pic(3, 1, 4, {0x2F, 0x20, 0, 0}, sixteen)));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kGreen);
    EXPECT_EQ(At(*image, 1, 0), kRed);
    EXPECT_EQ(At(*image, 2, 0), kGreen);
}

TEST(BitmapDecoder, EightBitTableSizeFollowsColoursUsed) {
    // Colours used 0: a full table of 256 entries.
    std::vector<Colour> full(256, kWhite);
    full[255] = kBlue;
    ImagePtr image = DecodeOk(bmp::Build(Pic(2, 1, 8, {255, 0, 0, 0}, full)));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kBlue);
    EXPECT_EQ(At(*image, 1, 0), kWhite);

    // Colours used 20: only 20 entries, and without a file header the pixels
    // start right after them.
    std::vector<Colour> twenty(20, kGreen);
    twenty[19] = kRed;
    bmp::Layout s = Pic(2, 1, 8, {19, 3, 0, 0}, twenty, 20);
    s.fileHeader = false;
    image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kRed);
    EXPECT_EQ(At(*image, 1, 0), kGreen);
    // An index past the table is black rather than memory behind it.
    s.pixelData = {200, 3, 0, 0};
    image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), (Colour{0, 0, 0}));
}

TEST(BitmapDecoder, SixteenAndThirtyTwoBitUseDefaultMasks) {
    // x1r5g5b5: pure red (31, 0, 0) then (0, 16, 31).
    ImagePtr image = DecodeOk(bmp::Build(Pic(2, 1, 16, {0x00, 0x7C, 0x1F, 0x02})));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kRed);
    EXPECT_EQ(At(*image, 1, 0), (Colour{0, 132, 255}));
    // Blue, green, red and an unused byte.
    image = DecodeOk(bmp::Build(Pic(1, 2, 32, {1, 2, 3, 99, 30, 20, 10, 99})));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), (Colour{3, 2, 1}));
    EXPECT_EQ(At(*image, 0, 1), (Colour{10, 20, 30}));
}

TEST(BitmapDecoder, RunLengthEncodings) {
    const std::vector<Colour> four = {{0, 0, 0}, kRed, kGreen, kBlue};
    // RLE8, 4 x 3: a run, a literal of 3 (padded to 4 bytes), end of line,
    // a jump over one pixel and one row, a run, end of picture.
    ImagePtr image = DecodeOk(
        bmp::Build(Pic(4, 3, 8, {1, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1}, four, 4, 1)));
    ASSERT_TRUE(image);
    EXPECT_EQ(At(*image, 0, 0), kRed);
    EXPECT_EQ(At(*image, 1, 0), kGreen);
    EXPECT_EQ(At(*image, 2, 0), kBlue);
    EXPECT_EQ(At(*image, 3, 0), kGreen);
    EXPECT_EQ(At(*image, 0, 1), (Colour{0, 0, 0}));  // skipped: black
    EXPECT_EQ(At(*image, 1, 2), kBlue);
    EXPECT_EQ(At(*image, 0, 2), (Colour{0, 0, 0}));

    // RLE4: a run alternates its two nibbles; a literal of 3 nibbles takes 2
    // bytes, one of 5 takes 3 and a pad byte, and the run after it still lands.
    image = DecodeOk(bmp::Build(
        Pic(13, 1, 4, {3, 0x12, 0, 3, 0x31, 0x20, 0, 5, 0x12, 0x31, 0x20, 0, 2, 0x33, 0, 1}, four, 4, 2)));
    ASSERT_TRUE(image);
    const Colour expect[13] = {kRed,  kGreen, kRed, kBlue, kRed,  kGreen, kRed,
                               kGreen, kBlue,  kRed, kGreen, kBlue, kBlue};
    for (int x = 0; x < 13; ++x) EXPECT_EQ(At(*image, x, 0), expect[x]) << "x=" << x;
}

TEST(BitmapDecoder, CoreSizesAreUnsignedSixteenBit) {
    bmp::Layout s = Pic(40000, 1, 24, bmp::Rows24(40000, {std::vector<Colour>(40000, kGreen)}));
    s.headerSize = 12;
    s.pixelData[3 * 39999] = 7;  // the last pixel's blue
    ImagePtr image = DecodeOk(bmp::Build(s));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 40000);
    EXPECT_EQ(At(*image, 39999, 0), (Colour{0, 255, 7}));
}

TEST(BitmapDecoder, PaletteEntryCountRules) {
    bmp::Layout core, info;
    core.headerSize = 12;
    core.fileHeader = info.fileHeader = false;
    const std::pair<std::uint16_t, std::uint16_t> byBits[] = {{1, 2}, {4, 16}, {8, 256}, {24, 0}, {2, 0}};
    for (auto [bits, entries] : byBits) {
        core.bits = info.bits = bits;
        EXPECT_EQ(PaletteEntryCount(bmp::Build(core).data()), entries) << "core " << bits;
        EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), entries) << "info " << bits;
    }
    info.bits = 24;  // colours used wins even where no table is needed
    info.colorsUsed = 20;
    EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), 20);
    info.colorsUsed = 0x10005;  // cut to 16 bits
    EXPECT_EQ(PaletteEntryCount(bmp::Build(info).data()), 5);
}

TEST(BitmapDecoder, RejectsWhatItCannotConvert) {
    const bmp::Layout base = Pic(2, 2, 24, bmp::Rows24(2, {{kRed, kRed}, {kRed, kRed}}));
    struct Case {
        const char* what;
        DibError expected;
        void (*change)(bmp::Layout&);
    };
    const Case cases[] = {
        {"v4 header", DibError::UnknownFormat, [](bmp::Layout& s) { s.headerSize = 108; }},
        {"v5 header", DibError::UnknownFormat, [](bmp::Layout& s) { s.headerSize = 124; }},
        {"bit fields", DibError::ConversionError, [](bmp::Layout& s) { s.compression = 3; }},
        {"2 bits", DibError::ConversionError, [](bmp::Layout& s) { s.bits = 2; }},
        {"rle8 on 24 bits", DibError::ConversionError, [](bmp::Layout& s) { s.compression = 1; }},
        {"top-down rle", DibError::ConversionError,
         [](bmp::Layout& s) { s = Pic(2, -2, 8, {2, 0, 0, 1}, {kRed}, 1, 1); }},
        {"zero width", DibError::OutOfMemory, [](bmp::Layout& s) { s.width = 0; }},
        {"negative width", DibError::OutOfMemory, [](bmp::Layout& s) { s.width = -2; }},
        {"zero height", DibError::OutOfMemory, [](bmp::Layout& s) { s.height = 0; }},
        // Sizes whose product wraps in 32 bits must still count as huge.
        {"absurd", DibError::OutOfMemory, [](bmp::Layout& s) { s.width = s.height = 0x10000; }},
        {"wide", DibError::OutOfMemory, [](bmp::Layout& s) { s.width = INT_MAX; }},
        {"most negative height", DibError::OutOfMemory, [](bmp::Layout& s) { s.height = INT_MIN; }},
        {"just over 2048 x 2048 pixels", DibError::OutOfMemory, [](bmp::Layout& s) { s.width = 4096, s.height = 1025; }},
    };
    for (const Case& c : cases) {
        bmp::Layout layout = base;
        c.change(layout);
        DibError error;
        EXPECT_FALSE(Decode(bmp::Build(layout), &error)) << c.what;
        EXPECT_EQ(error, c.expected) << c.what;
    }
}

// Files cut short anywhere (file header, bitmap header, colour table,
// pixels, run-length data) and files whose offsets or runs point past their
// end are refused; run under ASan this also proves nothing past the end is read.
TEST(BitmapDecoder, ShortOrLyingFilesAreRefusedWithoutOverread) {
    bmp::Layout core = Pic(8, 2, 1, {0xAA, 0, 0, 0, 0x55}, {kRed, kBlue});  // no padding after the last row
    core.headerSize = 12;
    bmp::Layout eight = Pic(4, 2, 8, {1, 2, 3, 4, 5, 6, 7, 8}, std::vector<Colour>(256, kGreen));
    bmp::Layout bare = eight;
    bare.fileHeader = false;
    // Ends on end-of-picture while still inside the last row.
    bmp::Layout rle = Pic(4, 2, 8, {4, 1, 0, 0, 4, 0, 0, 1}, {kRed, kBlue}, 2, 1);
    const Bytes files[] = {bmp::Build(core), bmp::Build(eight), bmp::Build(bare), bmp::Build(rle),
                           bmp::Solid24(4, 3, kWhite)};
    DibError error;
    for (const Bytes& file : files) {
        ASSERT_TRUE(Decode(file, &error)) << "whole file of " << file.size();
        for (std::size_t n = 0; n < file.size(); ++n) {
            EXPECT_FALSE(Decode(file, &error, n)) << "cut to " << n << " of " << file.size();
            EXPECT_EQ(error, DibError::ConversionError) << "cut to " << n << " of " << file.size();
        }
    }

    std::vector<Bytes> lying;
    for (std::size_t at : {10, 13}) {  // pixel offset past the end, and near 2^31
        lying.push_back(bmp::Solid24(4, 3, kWhite));
        lying.back()[at] = 0x80;
    }
    lying.push_back(bmp::Build(Pic(1, 1, 8, {}, {kRed, kBlue}, 200)));  // claims 200 colours, holds 2
    rle.pixelData = {0, 9, 1, 2};  // a literal of 9 with 2 bytes behind it
    lying.push_back(bmp::Build(rle));
    rle.pixelData = {0, 2, 1};  // a jump missing its second byte
    lying.push_back(bmp::Build(rle));
    for (const Bytes& file : lying) {
        EXPECT_FALSE(Decode(file, &error)) << &file - lying.data();
        EXPECT_EQ(error, DibError::ConversionError) << &file - lying.data();
    }
}

TEST(BitmapFile, MessagesAreShownCaptionedError) {
    fake::Reset();
    const std::string unknown = TempPath("v5");
    bmp::Layout v5;
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
    bmp::Layout big;
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
