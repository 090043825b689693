// Recordings of every kind a class brings, made by ffmpeg from one stereo
// tone: 440 Hz at half scale on the first channel, 660 Hz at a quarter on
// the second, so that a wrong or mixed channel shows.
#include "Tools.h"
#include "WavCases.h"
#include "sound/PcmSource.h"
#include "wavein/AudioFile.h"

#include <QProcess>
#include <cmath>
#include <tuple>

using namespace tavrel;
using namespace wavtest;

namespace {

// The file `name` made from the tone at `rate`, `video` adding a moving
// picture; ffmpeg's arguments `args` choose the encoding.
QString Make(const QTemporaryDir& dir, const QString& name, int rate, const QString& args,
             bool video = false, double seconds = 0.5) {
    QStringList a = QString("-v error -y -f lavfi -i "
                            "aevalsrc=0.5*sin(2*PI*440*t)|0.25*sin(2*PI*660*t):s=%1:d=%2")
                        .arg(rate)
                        .arg(seconds)
                        .split(' ');
    if (video)
        a += QString("-f lavfi -i testsrc=s=64x48:r=10:d=0.5 -shortest").split(' ');
    a += args.split(' ', Qt::SkipEmptyParts) << dir.filePath(name);
    EXPECT_EQ(QProcess::execute("ffmpeg", a), 0) << name.toStdString();
    return dir.filePath(name);
}

Bytes Contents(const QString& path) {
    QFile f(path);
    const QByteArray b = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return Bytes(b.begin(), b.end());
}

double Tone(int channel, std::size_t i, int rate) {
    return (channel ? 0.25 : 0.5) * std::sin(2 * M_PI * (channel ? 660 : 440) * double(i) / rate);
}

} // namespace

// Channels, rate and depth as the text boxes show them; lossless samples within
// half a 16-bit step of the tone, lossy ones within a few percent of its level; then
// the files of every kind that are refused.
TEST(AudioFile, EveryKindOfRecording) {
    REQUIRE_TOOL("ffmpeg");
    QTemporaryDir dir;
    const std::tuple<const char*, int, const char*, bool, const char*, double> cases[] = {
        {"a.flac", 44100, "-sample_fmt s16", false, "2 44100 16", 0},
        {"b.flac", 44100, "-sample_fmt s32", false, "2 44100 24", 0},
        {"c.ogg", 44100, "-c:a libvorbis", false, "2 44100 16", 0.03},
        {"d.opus", 48000, "-c:a libopus", false, "2 48000 16", 0.03},
        {"e.mp3", 44100, "-c:a libmp3lame", false, "2 44100 16", 0.08},
        {"f.m4a", 44100, "-c:a aac", false, "2 44100 16", 0.1},
        {"g.m4a", 44100, "-c:a alac -sample_fmt s16p", false, "2 44100 16", 0},
        {"h.aiff", 22050, "", false, "2 22050 16", 0},
        {"i.webm", 48000, "-c:a libopus -c:v libvpx", true, "2 48000 16", 0.03},
        {"j.mkv", 32000, "-c:a flac -sample_fmt s32 -c:v mpeg4", true, "2 32000 24", 0},
        {"k.mp4", 44100, "-c:a aac -c:v mpeg4", true, "2 44100 16", 0.1},
        {"l.wav", 8000, "-c:a pcm_mulaw", false, "2 8000 16", 0.03},
        {"m.wav", 8000, "-c:a pcm_alaw", false, "2 8000 16", 0.03},
        {"n.wav", 22050, "-c:a adpcm_ima_wav", false, "2 22050 16", 0.03},
    };
    for (const auto& [name, rate, args, video, format, tolerance] : cases) {
        const WavLoadResult r = LoadRecordingFile(Make(dir, name, rate, args, video), 100);
        const WavFormat& f = r.wave.format;
        ASSERT_EQ(r.error, None) << name;
        EXPECT_EQ(QString::asprintf("%u %u %u", f.channels, f.sampleRate, f.bitsPerSample), format);
        const std::size_t n = std::size_t(r.wave.SampleCount);
        EXPECT_NEAR(double(n), rate / 2, tolerance ? rate / 20 : 0) << name; // codecs pad
        ASSERT_EQ(r.wave.WaveData.size(), n) << name;
        double error = 0, level = 0, worst = 0, peak = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(n, rate / 2); ++i) {
            const double want = (Tone(0, i, rate) * 32768 - 100) / 64,
                         d = r.wave.WaveData[i] - want;
            worst = std::max(worst, std::fabs(d));
            peak = std::max(peak, std::fabs(double(r.wave.WaveData[i])));
            error += d * d;
            level += (want + 100 / 64.0) * (want + 100 / 64.0);
        }
        EXPECT_EQ(r.wave.WavePeak, std::nearbyint(peak)) << name;
        EXPECT_TRUE(tolerance ? std::sqrt(error / level) < tolerance : worst <= 0.5 / 64 + 1e-5)
            << name << ": " << std::sqrt(error / level) << " " << worst;
    }

    // A steady level packs tighter than any header is believed for: the
    // room for the wave grows while it is decoded.
    const WavLoadResult dc = LoadRecordingFile(
        Make(dir, "dc.flac", 44100, "-af aeval=0.25|0.25 -frame_size 65535", false, 60), 100);
    EXPECT_EQ(dc.wave.SampleCount, 60 * 44100);
    EXPECT_TRUE(std::all_of(dc.wave.WaveData.begin(), dc.wave.WaveData.end(),
                            [](float v) { return v == (8192 - 100) / 64.0f; }));

    // Playing takes every channel, interleaved, at full scale 1.
    const std::unique_ptr<PcmSource> source = OpenPcmSource(dir.filePath("b.flac"));
    ASSERT_TRUE(source);
    EXPECT_EQ(std::tuple(source->SampleRate(), source->Channels(), source->Encoding()),
              std::tuple(44100, 2, PcmEncoding::F32));
    std::vector<float> piece(2 * 1000);
    std::size_t frames = 0, got;
    double worst = 0;
    while ((got = source->Read(reinterpret_cast<std::uint8_t*>(piece.data()), 1000)) != 0) {
        for (std::size_t k = 0; k < 2 * got; ++k)
            worst = std::max(worst, std::fabs(piece[k] - Tone(int(k % 2), frames + k / 2, 44100)));
        frames += got;
    }
    EXPECT_TRUE(frames == 22050 && worst < 1e-6) << frames << " " << worst;
    EXPECT_FALSE(OpenPcmSource(dir.filePath("none")));

    // A refusal is a typed error with no wave: wrong kinds, broken files, no sound.
    const Bytes flac = Contents(dir.filePath("a.flac")),
                m4a = Contents(Make(dir, "a.m4a", 8000, "-c:a aac")); // its index comes last
    const std::pair<Bytes, WavError> refusals[] = {
        {{}, UnrecognisedFormat},
        {{'K', 'e', 'i', 'n', ' ', 'T', 'o', 'n', '\n'}, UnrecognisedFormat},
        {{m4a.begin(), m4a.begin() + m4a.size() / 2}, NoAudio},
        {Wav(0x1234, 1, 8, Bytes(8)), UnsupportedFormat}, // unknown to FFmpeg too
    };
    for (const auto& [file, error] : refusals) {
        const WavLoadResult r = LoadRecordingBytes(file.data(), file.size(), 0);
        EXPECT_EQ(std::pair(r.error, r.wave.WaveData.size()), std::pair(error, std::size_t(0)))
            << file.size() << " bytes";
    }
    // A recording cut short loads what it holds, as players play it; a WAV file
    // cut short is refused, as the WAV reader refuses its own.
    for (const char* name : {"a.flac", "e.mp3", "l.wav"}) {
        const Bytes whole = Contents(dir.filePath(name));
        const WavLoadResult all = LoadRecordingBytes(whole.data(), whole.size(), 0),
                            cut = LoadRecordingBytes(whole.data(), whole.size() * 3 / 4, 0);
        if (QString(name).endsWith(".wav")) {
            EXPECT_EQ(cut.error, DataTruncated);
            continue;
        }
        const std::int32_t n = cut.wave.SampleCount;
        EXPECT_TRUE(cut.error == None && n > all.wave.SampleCount / 4 &&
                    n < all.wave.SampleCount * 9 / 10)
            << name << " " << n;
        EXPECT_TRUE(std::equal(cut.wave.WaveData.begin(), cut.wave.WaveData.end(),
                               all.wave.WaveData.begin()))
            << name;
    }
    EXPECT_EQ(LoadRecordingFile(Make(dir, "b.mp4", 8000, "-an", true), 0).error, NoAudio);
    EXPECT_EQ(LoadRecordingFile(dir.filePath("none"), 0).error, CannotOpen);

    // A WAV file is the WAV reader's, word for word.
    for (const WavCase& c : WavCases()) {
        if (c.error == NotRiffWave)
            continue;
        const WavLoadResult r = LoadRecordingBytes(c.file.data(), c.file.size(), c.ref);
        EXPECT_EQ(std::pair(r.error, r.wave.WaveData), std::pair(c.error, c.values)) << c.name;
    }

    // Progress runs from 0 to 1, and either reader stops when told to.
    for (const Bytes& file : {flac, Wav(1, 1, 16, Bytes(64))}) {
        std::vector<double> told;
        const auto tell = [&told](double f) { return told.push_back(f), true; };
        EXPECT_EQ(LoadRecordingBytes(file.data(), file.size(), 0, tell).error, None);
        EXPECT_TRUE(told.size() >= 2 && told.front() == 0 && told.back() == 1 &&
                    std::is_sorted(told.begin(), told.end()));
        for (const std::size_t stopAt : {std::size_t(0), told.size() - 1}) {
            std::size_t calls = 0;
            const auto stop = [&](double) { return calls++ != stopAt; };
            EXPECT_EQ(LoadRecordingBytes(file.data(), file.size(), 0, stop).error, Cancelled);
        }
    }
}
