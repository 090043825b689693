// Loading a ten-minute 44.1 kHz 16-bit stereo recording: decoding into
// WaveData plus the whole-wave plot, against the floor of merely reading the
// same file in 256 KiB pieces and turning its left channel into floats.
//
//   bench_load                 both timings and their ratio (goal: <= 1.3)
//   bench_load --peak-memory   one load, then the peak resident memory against
//                              the file's data plus three SampleCount-long
//                              float arrays, plus 10 %
#include "state/FloatArray.h"
#include "ui/Canvas.h"
#include "wavein/WavReader.h"
#include "wavein/WholeWavePlot.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tavrel;

namespace {

constexpr std::uint32_t Rate = 44100;
constexpr std::uint32_t Frames = Rate * 600;
constexpr std::uint32_t DataBytes = Frames * 4;
constexpr int HeaderBytes = 44;

QString g_path;

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        p[k] = std::uint8_t(v >> (8 * k));
}

// A voice-like left channel (a swelling 220 Hz tone with a little noise) and
// a different right one, written piece by piece.
bool WriteTestFile(const QString& path) {
    std::FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!f)
        return false;
    std::uint8_t h[HeaderBytes];
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, 36 + DataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put32(h + 20, 1 | (2u << 16));
    Put32(h + 24, Rate);
    Put32(h + 28, Rate * 4);
    Put32(h + 32, 4 | (16u << 16));
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, DataBytes);
    std::fwrite(h, 1, sizeof h, f);
    std::vector<std::int16_t> piece(2 * 65536);
    std::uint32_t noise = 1;
    for (std::uint32_t done = 0; done < Frames;) {
        const std::uint32_t k = std::min<std::uint32_t>(65536, Frames - done);
        for (std::uint32_t i = 0; i < k; ++i) {
            const double t = double(done + i) / Rate;
            noise = noise * 1664525u + 1013904223u;
            const double swell = 0.55 + 0.45 * std::sin(2 * M_PI * 0.2 * t);
            piece[2 * i] = std::int16_t(20000 * swell * std::sin(2 * M_PI * 220 * t) +
                                        double(noise >> 22) - 512);
            piece[2 * i + 1] = std::int16_t(8000 * std::sin(2 * M_PI * 330 * t));
        }
        std::fwrite(piece.data(), 4, k, f);
        done += k;
    }
    return std::fclose(f) == 0;
}

void BM_ReadAndConvertFloor(benchmark::State& state) {
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[WavPieceBytes]);
    for (auto _ : state) {
        const int fd = ::open(g_path.toLocal8Bit().constData(), O_RDONLY);
        FloatArray out(Frames);
        ::lseek(fd, HeaderBytes, SEEK_SET);
        std::size_t frame = 0;
        while (frame < Frames) {
            const std::size_t want = std::min<std::size_t>(WavPieceBytes, (Frames - frame) * 4);
            std::size_t got = 0;
            while (got < want) {
                const ssize_t r = ::read(fd, buffer.get() + got, want - got);
                if (r <= 0)
                    break;
                got += std::size_t(r);
            }
            const std::uint8_t* p = buffer.get();
            for (std::size_t i = 0; i < got / 4; ++i)
                out[frame + i] = float(std::int16_t(std::uint16_t(p[4 * i] | p[4 * i + 1] << 8)));
            frame += got / 4;
            if (got < want)
                break;
        }
        ::close(fd);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * DataBytes);
}

void BM_LoadAndPlot(benchmark::State& state) {
    Canvas canvas(520, 57);
    for (auto _ : state) {
        WavLoadResult r = LoadWavFile(g_path, 128);
        if (r.error != WavError::None) {
            state.SkipWithError("load failed");
            break;
        }
        // The main window sizes its two other work arrays at the same time.
        FloatArray regionData(std::size_t(r.wave.SampleCount));
        FloatArray fftImag(std::size_t(r.wave.SampleCount));
        canvas.Cls();
        DrawWholeWave(canvas, r.wave.WaveData, r.wave.WavePeak, 0.7f);
        benchmark::DoNotOptimize(regionData.data());
        benchmark::DoNotOptimize(fftImag.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * DataBytes);
}

// The plot alone: one pass over the 26 million samples, reduced to columns.
void BM_PlotOnly(benchmark::State& state) {
    const WavLoadResult r = LoadWavFile(g_path, 128);
    Canvas canvas(520, 57);
    for (auto _ : state) {
        canvas.Cls();
        DrawWholeWave(canvas, r.wave.WaveData, r.wave.WavePeak, 0.7f);
    }
}

BENCHMARK(BM_ReadAndConvertFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadAndPlot)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PlotOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's time per iteration so that the ratio can be told.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {} // plain text: the figures get pasted
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times[r.benchmark_name().substr(0, r.benchmark_name().find('/'))] =
                    r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

long StatusKiB(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long v = -1;
    const std::size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, len) == 0)
            v = std::strtol(line + len, nullptr, 10);
    std::fclose(f);
    return v;
}

int PeakMemory() {
    const long before = StatusKiB("VmRSS:");
    WavLoadResult r = LoadWavFile(g_path, 128);
    if (r.error != WavError::None)
        return 1;
    FloatArray regionData(std::size_t(r.wave.SampleCount));
    FloatArray fftImag(std::size_t(r.wave.SampleCount));
    Canvas canvas(520, 57);
    DrawWholeWave(canvas, r.wave.WaveData, r.wave.WavePeak, 0.7f);
    const long peak = StatusKiB("VmHWM:");
    const double budget = (double(DataBytes) + 3.0 * 4.0 * r.wave.SampleCount) * 1.1 / 1024;
    std::printf("frames %d, data %.1f MiB\n", r.wave.SampleCount, DataBytes / 1048576.0);
    std::printf("resident before load %.1f MiB, peak (VmHWM) %.1f MiB, growth %.1f MiB\n",
                before / 1024.0, peak / 1024.0, (peak - before) / 1024.0);
    std::printf("budget (data + 3 float arrays) x 1.1 = %.1f MiB: %s\n", budget / 1024,
                peak <= budget ? "within" : "OVER");
    return peak <= budget ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bool peakMode = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--peak-memory") == 0)
            peakMode = true;
        else
            args.push_back(argv[i]);
    }
    int n = int(args.size());
    QGuiApplication app(n, args.data()); // QPainter needs one for fonts and raster engines
    QTemporaryDir dir;
    g_path = dir.filePath(QStringLiteral("ten-minutes.wav"));
    if (!dir.isValid() || !WriteTestFile(g_path)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return 1;
    }
    if (peakMode)
        return PeakMemory();

    benchmark::Initialize(&n, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto floor = reporter.times.find("BM_ReadAndConvertFloor");
    const auto load = reporter.times.find("BM_LoadAndPlot");
    if (floor != reporter.times.end() && load != reporter.times.end())
        std::printf("load + plot / floor = %.2f (goal <= 1.3)\n", load->second / floor->second);
    return 0;
}
