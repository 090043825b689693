// The samples as the sound output hands them to the audio server.
#include "WavTestFiles.h"
#include "sound/PcmSource.h"

#include <gtest/gtest.h>

using namespace tavrel;
using wavtest::Bytes;

// Every layout the reader accepts plays by its sample container, its bytes as
// they stand, in pieces of any size; from a file or an image alike. A file the
// reader refuses (64-bit float) is decoded as it plays; an image never is.
TEST(PcmSource, HandsOverTheDataChunkByItsContainer) {
    using enum PcmEncoding;
    // Format tag, bits, channels; the encoding, none when the reader refuses it.
    const std::tuple<std::uint16_t, std::uint16_t, std::uint16_t, std::optional<PcmEncoding>>
        cases[] = {{1, 8, 1, U8},   {1, 12, 2, S16},         {1, 20, 1, S24},
                   {1, 24, 6, S24}, {1, 32, 1, S32},         {0xfffe, 32, 2, F32},
                   {3, 32, 3, F32}, {3, 64, 1, std::nullopt}};
    QTemporaryDir dir;
    for (const auto& [tag, bits, channels, encoding] : cases) {
        SCOPED_TRACE(testing::Message() << tag << "/" << bits << "/" << channels);
        Bytes data(channels * ((bits + 7) / 8) * 11);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = std::uint8_t(i * 37 + 5);
        const Bytes wav = wavtest::MakeWav(
            {.tag = tag, .channels = channels, .rate = 12345, .bits = bits, .data = data});
        const QString path = wavtest::WriteFile(dir, "s.wav", wav);
        std::unique_ptr<PcmSource> sources[] = {OpenPcmSource(path),
                                                OpenPcmImage(wav.data(), wav.size())};
        if (!encoding) {
            EXPECT_TRUE(sources[0] && sources[0]->Encoding() == F32 && sources[0]->Frames() == -1);
            EXPECT_FALSE(sources[1]);
            continue;
        }
        for (const std::unique_ptr<PcmSource>& s : sources) {
            ASSERT_TRUE(s);
            EXPECT_EQ(std::tuple(s->Encoding(), s->Channels(), s->SampleRate(), s->Frames()),
                      std::tuple(*encoding, channels, 12345, 11));
            Bytes got(data.size() + s->FrameBytes() * 4);
            std::size_t at = 0;
            for (std::size_t n; (n = s->Read(got.data() + at, 4)) > 0;)
                at += n * s->FrameBytes();
            got.resize(at);
            EXPECT_EQ(got, data);
        }
    }

    // A file cut short after it was opened ends the sound where it ends, at a whole
    // frame; what cannot be read gives no source.
    const Bytes wav = wavtest::MakeWav({.channels = 2, .bits = 16, .data = Bytes(400)});
    const QString path = wavtest::WriteFile(dir, "cut.wav", wav);
    const std::unique_ptr<PcmSource> s = OpenPcmSource(path);
    ASSERT_TRUE(s);
    QFile(path).resize(qint64(wav.size() - 400 + 4 * 30 + 3));
    Bytes out(400);
    EXPECT_EQ(s->Read(out.data(), 100), 30u);
    EXPECT_EQ(s->Read(out.data(), 100), 0u);
    EXPECT_FALSE(OpenPcmSource(dir.filePath("none.wav")));
    EXPECT_FALSE(OpenPcmImage(nullptr, 44));
}
