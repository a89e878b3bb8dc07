#include <cstring>

#include <gtest/gtest.h>

#include "sound/wave.h"
#include "wav_files.h"

using namespace wavfiles;

namespace {

void ExpectClosed(WaveFile& wave) {
    EXPECT_EQ(wave.Handle(), nullptr);
    EXPECT_EQ(wave.GetDataSize(), 0u);
    EXPECT_EQ(wave.GetFormatTag(), 0u);
    EXPECT_EQ(wave.GetChannels(), 0u);
    EXPECT_EQ(wave.GetSampleRate(), 0u);
    EXPECT_EQ(wave.GetAvgBytesPerSec(), 0u);
    EXPECT_EQ(wave.GetBlockAlign(), 0u);
    EXPECT_EQ(wave.GetBitsPerSample(), 0u);
    WAVEFORMATEX out;
    std::memset(&out, 0x5A, sizeof out);
    EXPECT_FALSE(wave.GetFormat(&out));
    EXPECT_EQ(reinterpret_cast<unsigned char*>(&out)[0], 0x5A) << "a closed reader leaves the record alone";
    char byte;
    EXPECT_FALSE(wave.Read(&byte, 1));
    wave.Close();
}

}  // namespace

TEST(WaveFile, ClosedReaderAnswersNothing) {
    WaveFile wave;
    ExpectClosed(wave);
    EXPECT_FALSE(wave.Open(nullptr));
    EXPECT_FALSE(wave.Open("/no/such/folder/rifle.wav"));
    ExpectClosed(wave);
}

TEST(WaveFile, OnlyRiffWaveFilesOpen) {
    const std::string dir = ScratchDir();
    const std::string body = Chunk("fmt ", Format(1, 22050, 16)) + Chunk("data", Ramp(8));
    const int descriptors = OpenDescriptors();
    WaveFile wave;
    EXPECT_FALSE(wave.Open(WriteFile(dir + "avi.wav", Riff(body, "AVI ")).c_str()));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "list.wav", "LIST" + Riff(body).substr(4)).c_str()));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "empty.wav", "").c_str()));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "header.wav", std::string("RIFF\x04\0\0\0WA", 10)).c_str()));
    ExpectClosed(wave);
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a refused file is closed again";
    EXPECT_TRUE(wave.Open(WriteFile(dir + "good.wav", Riff(body)).c_str()));
}

TEST(WaveFile, ChunksStandInEitherOrderAndOddOnesArePadded) {
    const std::string dir = ScratchDir();
    const std::string samples = Ramp(9);  // odd: a pad byte follows
    WaveFile wave;

    ASSERT_TRUE(wave.Open(WriteFile(dir + "data_first.wav",
                                    Riff(Chunk("data", samples) + Chunk("fmt ", Format(2, 11025, 8)))).c_str()));
    EXPECT_EQ(wave.GetDataSize(), 9u);
    EXPECT_EQ(wave.GetChannels(), 2u);
    EXPECT_EQ(wave.GetSampleRate(), 11025u);
    EXPECT_EQ(wave.GetBitsPerSample(), 8u);
    EXPECT_EQ(wave.GetBlockAlign(), 2u);
    EXPECT_EQ(wave.GetAvgBytesPerSec(), 22050u);
    EXPECT_EQ(wave.GetFormatTag(), WAVE_FORMAT_PCM);
    std::string read(9, '\0');
    ASSERT_TRUE(wave.Read(&read[0], 9));
    EXPECT_EQ(read, samples) << "positioned at the first sample even with the format after the data";

    // Odd-sized chunks of other kinds in front of both: found only if the pad is skipped.
    const std::string cluttered = Riff(Chunk("LIST", "abc") + Chunk("fmt ", Format(1, 8000, 16)) +
                                       Chunk("junk", "x") + Chunk("data", samples));
    ASSERT_TRUE(wave.Open(WriteFile(dir + "padded.wav", cluttered).c_str()));
    EXPECT_EQ(wave.GetSampleRate(), 8000u);
    EXPECT_EQ(wave.GetDataSize(), 9u);
    ASSERT_TRUE(wave.Read(&read[0], 9));
    EXPECT_EQ(read, samples);

    // Without the pad byte the next header is read one byte early and "data" is missed.
    const std::string unpadded = Riff(ChunkDeclaring("junk", 1, "x") + Chunk("fmt ", Format(1, 8000, 16)) +
                                      Chunk("data", samples));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "unpadded.wav", unpadded).c_str()));
}

TEST(WaveFile, FormatChunkNeedsSixteenBytes) {
    const std::string dir = ScratchDir();
    WaveFile wave;
    const std::string data = Chunk("data", Ramp(4));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "fmt14.wav", Riff(Chunk("fmt ", Format(1, 8000, 8).substr(0, 14)) + data)).c_str()));
    ExpectClosed(wave);
    EXPECT_TRUE(wave.Open(WriteFile(dir + "fmt16.wav", Riff(Chunk("fmt ", Format(1, 8000, 8)) + data)).c_str()));

    // 18 bytes are read: an extended record gets its extra-size field.
    const std::string extended = Riff(Chunk("fmt ", Format(1, 8000, 8) + Le16(0)) + data);
    ASSERT_TRUE(wave.Open(WriteFile(dir + "fmt18.wav", extended).c_str()));
    EXPECT_EQ(wave.Format().cbSize, 0u);

    // A 16-byte record that ends the file: only 16 of the 18 bytes arrive, which is enough.
    const std::string last = Riff(data + Chunk("fmt ", Format(1, 44100, 16)));
    ASSERT_TRUE(wave.Open(WriteFile(dir + "fmt_last.wav", last).c_str()));
    EXPECT_EQ(wave.GetSampleRate(), 44100u);

    // A chunk that claims 16 bytes but the file ends after 15 fails.
    const std::string cut = Riff(data + ChunkDeclaring("fmt ", 16, Format(1, 8000, 8).substr(0, 15)));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "fmt_cut.wav", cut).c_str()));
}

TEST(WaveFile, FileWithoutDataIsRefusedAndClosed) {
    const std::string dir = ScratchDir();
    const int descriptors = OpenDescriptors();
    WaveFile wave;
    EXPECT_FALSE(wave.Open(WriteFile(dir + "nodata.wav", Riff(Chunk("fmt ", Format(1, 8000, 8)))).c_str()));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "nofmt.wav", Riff(Chunk("data", Ramp(4)))).c_str()));
    // A "data" chunk outside the RIFF chunk's declared size is not part of it.
    const std::string inside = Chunk("fmt ", Format(1, 8000, 8));
    const std::string outside = "RIFF" + Le32(std::uint32_t(inside.size() + 4)) + "WAVE" + inside + Chunk("data", Ramp(4));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "outside.wav", outside).c_str()));
    // A chunk size that runs to the end of the 32-bit range is stepped over, not wrapped around.
    const std::string huge = Riff(Chunk("fmt ", Format(1, 8000, 8)) + ChunkDeclaring("junk", 0xFFFFFFFFu, "") +
                                  Chunk("data", Ramp(4)));
    EXPECT_FALSE(wave.Open(WriteFile(dir + "huge.wav", huge).c_str()));
    // A chunk list made to stall the search is given up on; a long honest one is not.
    std::string empties;
    for (int i = 0; i < 1000; ++i) empties += Chunk("junk", "");
    EXPECT_TRUE(wave.Open(WriteFile(dir + "long.wav", Riff(Chunk("fmt ", Format(1, 8000, 8)) + empties +
                                                          Chunk("data", Ramp(4)))).c_str()));
    for (int i = 0; i < 99; ++i) empties += empties.substr(0, 8000);
    EXPECT_FALSE(wave.Open(WriteFile(dir + "stall.wav", Riff(Chunk("fmt ", Format(1, 8000, 8)) + empties +
                                                            Chunk("data", Ramp(4)))).c_str()));
    ExpectClosed(wave);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(WaveFile, OpenAgainClosesTheFirstFile) {
    const std::string dir = ScratchDir();
    const std::string first = WriteFile(dir + "first.wav", Wave(1, 8000, 8, "AAAA"));
    const std::string second = WriteFile(dir + "second.wav", Wave(1, 8000, 8, "BBBBBB"));
    const int descriptors = OpenDescriptors();
    WaveFile wave;
    ASSERT_TRUE(wave.Open(first.c_str()));
    ASSERT_TRUE(wave.Open(second.c_str()));
    EXPECT_EQ(OpenDescriptors(), descriptors + 1) << "only the second file is open";
    EXPECT_EQ(wave.GetDataSize(), 6u);
    std::string read(6, '\0');
    ASSERT_TRUE(wave.Read(&read[0], 6));
    EXPECT_EQ(read, "BBBBBB");

    // A failed open still lets go of the file that was open.
    EXPECT_FALSE(wave.Open((dir + "missing.wav").c_str()));
    EXPECT_EQ(OpenDescriptors(), descriptors);
    ExpectClosed(wave);
}

TEST(WaveFile, ReadGivesExactlyWhatIsAskedOrFails) {
    const std::string dir = ScratchDir();
    WaveFile wave;
    // The read is not held to the data chunk: a chunk after it is read too.
    ASSERT_TRUE(wave.Open(WriteFile(dir + "tail.wav", Riff(Chunk("fmt ", Format(1, 8000, 8)) + Chunk("data", "abcd") +
                                                           Chunk("junk", "zz"))).c_str()));
    char bytes[16] = {};
    EXPECT_TRUE(wave.Read(bytes, 4));
    EXPECT_EQ(std::string(bytes, 4), "abcd");
    EXPECT_TRUE(wave.DataFitsInFile());
    EXPECT_TRUE(wave.Read(bytes, 10));
    EXPECT_FALSE(wave.Read(bytes, 1)) << "nothing is left";

    // A data chunk that claims more than the file holds opens, but cannot be read whole.
    const std::string cut = Riff(Chunk("fmt ", Format(1, 8000, 8)) + ChunkDeclaring("data", 1000, "abcd"));
    ASSERT_TRUE(wave.Open(WriteFile(dir + "cut.wav", cut).c_str()));
    EXPECT_EQ(wave.GetDataSize(), 1000u);
    EXPECT_FALSE(wave.DataFitsInFile());
    std::vector<char> all(1000);
    EXPECT_FALSE(wave.Read(all.data(), 1000));
    wave.Close();
    EXPECT_FALSE(wave.DataFitsInFile());
}
