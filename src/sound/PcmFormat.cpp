#include "sound/PcmFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tavrel {

namespace {

// Full scale is +-1; integer samples divide by 2^(bits - 1), so 24 and 32 bits
// (and everything narrower) are exact in a double.
double ReadSample(const std::uint8_t* p, PcmEncoding e) {
    switch (e) {
    case PcmEncoding::U8:
        return (int(p[0]) - 128) / 128.0;
    case PcmEncoding::S16:
        return std::int16_t(std::uint16_t(p[0] | p[1] << 8)) / 32768.0;
    case PcmEncoding::S24: {
        const std::int32_t v = std::int32_t(std::uint32_t(p[0]) << 8 | std::uint32_t(p[1]) << 16 |
                                            std::uint32_t(p[2]) << 24);
        return v / 2147483648.0;
    }
    case PcmEncoding::S32: {
        const std::uint32_t u = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
        return std::int32_t(u) / 2147483648.0;
    }
    case PcmEncoding::F32: {
        const std::uint32_t u = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
        float f;
        std::memcpy(&f, &u, sizeof f);
        return std::isfinite(f) ? double(f) : 0.0;
    }
    }
    return 0.0;
}

// x at full scale 2^(bits - 1), rounded to nearest and clipped to the range.
std::int64_t Scaled(double x, int bits) {
    const double full = std::ldexp(1.0, bits - 1);
    return std::int64_t(std::clamp(std::nearbyint(x * full), -full, full - 1));
}

void PutLe(std::uint8_t* p, std::uint64_t v, std::size_t bytes) {
    for (std::size_t k = 0; k < bytes; ++k)
        p[k] = std::uint8_t(v >> (8 * k));
}

void WriteSample(std::uint8_t* p, PcmEncoding e, double x) {
    switch (e) {
    case PcmEncoding::U8:
        p[0] = std::uint8_t(Scaled(x, 8) + 128);
        return;
    case PcmEncoding::S16:
        PutLe(p, std::uint64_t(Scaled(x, 16)), 2);
        return;
    case PcmEncoding::S24:
        PutLe(p, std::uint64_t(Scaled(x, 24)), 3);
        return;
    case PcmEncoding::S32:
        PutLe(p, std::uint64_t(Scaled(x, 32)), 4);
        return;
    case PcmEncoding::F32: {
        const float f = float(std::clamp(x, -1.0, 1.0));
        std::uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        PutLe(p, u, 4);
        return;
    }
    }
}

} // namespace

std::size_t BytesPerSample(PcmEncoding e) {
    switch (e) {
    case PcmEncoding::U8:
        return 1;
    case PcmEncoding::S16:
        return 2;
    case PcmEncoding::S24:
        return 3;
    case PcmEncoding::S32:
    case PcmEncoding::F32:
        return 4;
    }
    return 1;
}

std::size_t FrameBytes(const PcmLayout& l) {
    return BytesPerSample(l.encoding) * std::size_t(l.channels);
}

std::optional<PcmLayout> PcmLayoutOf(const LoadedWave& w) {
    const WavFormat& f = w.format;
    if (f.channels == 0 || w.frameBytes % f.channels != 0)
        return std::nullopt;
    const int ch = f.channels;
    const std::uint32_t container = w.frameBytes / f.channels;
    if (f.sampleFormat == 3)
        return container == 4 ? std::optional(PcmLayout{PcmEncoding::F32, ch}) : std::nullopt;
    if (f.sampleFormat != 1)
        return std::nullopt;
    switch (container) {
    case 1:
        return PcmLayout{PcmEncoding::U8, ch};
    case 2:
        return PcmLayout{PcmEncoding::S16, ch};
    case 3:
        return PcmLayout{PcmEncoding::S24, ch};
    case 4:
        return PcmLayout{PcmEncoding::S32, ch};
    default:
        return std::nullopt;
    }
}

std::optional<PcmLayout> ChooseDeviceLayout(const PcmLayout& file,
                                            const std::function<bool(const PcmLayout&)>& accepts) {
    const PcmEncoding own = file.encoding == PcmEncoding::S24 ? PcmEncoding::S32 : file.encoding;
    std::vector<int> channels = {file.channels};
    if (file.channels > 2)
        channels.push_back(2);
    if (file.channels > 1)
        channels.push_back(1);
    for (int ch : channels)
        for (PcmEncoding e : {own, PcmEncoding::F32, PcmEncoding::S16})
            if (accepts(PcmLayout{e, ch}))
                return PcmLayout{e, ch};
    return std::nullopt;
}

void ConvertPcm(const std::uint8_t* in, const PcmLayout& from, std::uint8_t* out,
                const PcmLayout& to, std::size_t frames) {
    const std::size_t inFrame = FrameBytes(from), outFrame = FrameBytes(to);
    if (from == to) {
        std::memcpy(out, in, frames * inFrame);
        return;
    }
    const std::size_t inSample = BytesPerSample(from.encoding);
    const std::size_t outSample = BytesPerSample(to.encoding);
    const int nIn = from.channels, nOut = to.channels;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t* src = in + i * inFrame;
        std::uint8_t* dst = out + i * outFrame;
        auto sample = [&](int c) {
            return ReadSample(src + std::size_t(c) * inSample, from.encoding);
        };
        if (nIn == nOut) {
            for (int c = 0; c < nOut; ++c)
                WriteSample(dst + std::size_t(c) * outSample, to.encoding, sample(c));
        } else if (nIn == 1) {
            const double v = sample(0);
            for (int c = 0; c < nOut; ++c)
                WriteSample(dst + std::size_t(c) * outSample, to.encoding, v);
        } else if (nOut == 1) {
            double sum = 0;
            for (int c = 0; c < nIn; ++c)
                sum += sample(c);
            WriteSample(dst, to.encoding, sum / nIn);
        } else {
            // Down to two: the front pair keeps its side, the rest is shared.
            double rest = 0;
            for (int c = 2; c < nIn; ++c)
                rest += sample(c);
            const double n = nIn - 1;
            WriteSample(dst, to.encoding, (sample(0) + rest) / n);
            WriteSample(dst + outSample, to.encoding, (sample(1) + rest) / n);
            for (int c = 2; c < nOut; ++c) // a wider target's further channels stay silent
                WriteSample(dst + std::size_t(c) * outSample, to.encoding, 0.0);
        }
    }
}

} // namespace tavrel
