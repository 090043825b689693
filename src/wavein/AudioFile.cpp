#include "wavein/AudioFile.h"

#include "state/Numbers.h"
#include "wavein/MediaDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

namespace tavrel {

namespace {

constexpr std::int64_t MaxFrames = std::numeric_limits<std::int32_t>::max();
// No real recording decodes to more frames per byte of file than this (a
// low-rate speech codec gives a few dozen): a figure in a damaged header is
// not believed beyond it.
constexpr std::int64_t MaxFramesPerByte = 256;
// Nor can any codec give more than this: FLAC's longest blocks of a steady
// level come nearest, with some thousands. A file that seems to is refused
// before its sound fills the memory.
constexpr std::int64_t MaxDecodedPerByte = 65536;

// Frames to make room for at first. The pages of a FloatArray cost nothing
// until they are written, so a generous guess costs no memory, while a short
// one costs a copy of all that was decoded; the container's own figure is
// believed with a margin, doubled when it is only the bitrate's guess.
std::int64_t FirstRoom(const MediaDecoder& d) {
    bool fromBitrate = false;
    const std::int64_t declared = d.DeclaredFrames(&fromBitrate);
    const std::int64_t rate = d.SampleRate();
    const std::int64_t guess = declared <= 0 ? 60 * rate
                               : fromBitrate ? 2 * declared + 2 * rate
                                             : declared + declared / 8 + 2 * rate;
    const std::int64_t bound = std::max<std::int64_t>(d.FileBytes(), 1) * MaxFramesPerByte;
    return std::min({guess, bound, MaxFrames + 1});
}

// Turns a run of full-scale floats into WaveData in place and returns its
// largest magnitude.
float ToWave(float* p, std::size_t n, std::int16_t refLevel) {
    std::transform(p, p + n, p, [refLevel](float f) { return FloatSampleToWave(f, refLevel); });
    return MaxAbs(p, n);
}

// A WAV file cut short is refused, as the WAV reader refuses its own; a
// recording of any other kind cut short (an interrupted download or copy)
// gives what it holds, as players play it.
enum class Cut { Refused, Kept };

WavLoadResult Decode(MediaDecoder& d, std::int16_t refLevel, Cut cut,
                     const LoadProgress& progress) {
    WavLoadResult result;
    auto fail = [&result](WavError e) {
        result.error = e;
        result.wave.WaveData = FloatArray();
        return result;
    };
    LoadedWave& wave = result.wave;
    WavFormat& format = wave.format;
    format.channels = std::uint16_t(d.Channels());
    format.sampleRate = std::uint32_t(d.SampleRate());
    format.bitsPerSample = std::uint16_t(d.BitsPerSample());
    format.sampleFormat = d.IsFloat() ? 3 : 1;

    ProgressTicker ticker(progress);
    if (!ticker.Tell(0))
        return fail(WavError::Cancelled);
    bool fromBitrate = false;
    if (d.DeclaredFrames(&fromBitrate) > MaxFrames && !fromBitrate && FirstRoom(d) > MaxFrames)
        return fail(WavError::TooLarge);

    // Channel 1 is converted straight into WaveData; the others, which only
    // the converter needs somewhere to put, share one small buffer.
    std::vector<float> others;
    std::array<float*, MediaDecoder::MaxChannels> planes{};
    std::size_t frames = 0;
    float peak = 0;
    try {
        wave.WaveData = FloatArray(std::size_t(FirstRoom(d)));
        for (std::size_t room; (room = d.Decode()) != 0;) {
            if (frames + room > wave.WaveData.size()) {
                // The container said too little: more room, copied over once.
                const std::size_t more =
                    std::max(frames + room, wave.WaveData.size() + wave.WaveData.size() / 2);
                FloatArray bigger(std::min<std::size_t>(more, MaxFrames + room));
                std::copy_n(wave.WaveData.data(), frames, bigger.data());
                wave.WaveData.swap(bigger);
            }
            if (others.size() < room * (format.channels - 1u))
                others.resize(room * (format.channels - 1u));
            planes[0] = wave.WaveData.data() + frames;
            for (unsigned c = 1; c < format.channels; ++c)
                planes[c] = others.data() + (c - 1) * room;
            const std::size_t got = d.Convert(planes.data());
            peak = std::max(peak, ToWave(planes[0], got, refLevel));
            frames += got;
            if (frames > std::size_t(MaxFrames) ||
                std::int64_t(frames) > d.FileBytes() * MaxDecodedPerByte)
                return fail(WavError::TooLarge);
            if (!ticker.Tick(d.Position()))
                return fail(WavError::Cancelled);
        }
    } catch (const std::bad_alloc&) {
        return fail(WavError::OutOfMemory);
    } catch (const std::length_error&) {
        return fail(WavError::OutOfMemory);
    }
    // A file that stops well short of the length its header gives was cut;
    // codecs' own padding and delay make the figures differ by a little, and
    // a guess from the bitrate says nothing.
    const std::int64_t declared = d.DeclaredFrames(&fromBitrate);
    if (cut == Cut::Refused && !fromBitrate &&
        std::int64_t(frames) + declared / 50 + d.SampleRate() / 10 < declared)
        return fail(WavError::DataTruncated);
    if (frames == 0)
        return fail(WavError::NoAudio);
    if (frames < 2)
        return fail(WavError::TooFewFrames);
    wave.WaveData.resize(frames); // no copy: the room left over was never touched
    wave.SampleCount = std::int32_t(frames);
    wave.WavePeak = RoundToInt16(peak);
    if (!ticker.Tell(1))
        return fail(WavError::Cancelled);
    return result;
}

// The WAV reader's answer when it reads the file, else FFmpeg's; a WAV file
// FFmpeg cannot read either keeps the WAV reader's own word.
template <class ReadWav, class OpenDecoder>
WavLoadResult Load(ReadWav readWav, OpenDecoder openDecoder, std::int16_t refLevel,
                   const LoadProgress& progress) {
    WavLoadResult r = readWav();
    if (r.error != WavError::NotRiffWave && r.error != WavError::UnsupportedFormat)
        return r;
    const bool wav = r.error == WavError::UnsupportedFormat;
    std::unique_ptr<MediaDecoder> d;
    if (const WavError e = openDecoder(d); !d) {
        r.error = e;
        r.wave = LoadedWave();
    } else {
        r = Decode(*d, refLevel, wav ? Cut::Refused : Cut::Kept, progress);
    }
    if (wav && (r.error == WavError::UnrecognisedFormat || r.error == WavError::NoAudio))
        r.error = WavError::UnsupportedFormat;
    return r;
}

} // namespace

WavLoadResult LoadRecordingFile(const QString& path, std::int16_t refLevel,
                                const LoadProgress& progress) {
    return Load([&] { return LoadWavFile(path, refLevel, progress); },
                [&](std::unique_ptr<MediaDecoder>& d) {
                    return MediaDecoder::OpenFile(path, MediaDecoder::Layout::Planar, d);
                },
                refLevel, progress);
}

WavLoadResult LoadRecordingBytes(const std::uint8_t* data, std::size_t size, std::int16_t refLevel,
                                 const LoadProgress& progress) {
    return Load([&] { return LoadWavBytes(data, size, refLevel, progress); },
                [&](std::unique_ptr<MediaDecoder>& d) {
                    return MediaDecoder::OpenBytes(data, size, MediaDecoder::Layout::Planar, d);
                },
                refLevel, progress);
}

} // namespace tavrel
