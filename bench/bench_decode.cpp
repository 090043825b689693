// Loading a ten-minute 44.1 kHz stereo recording as MP3, FLAC and WAV, each
// in a process of its own, against FFmpeg's own program decoding the same
// file: whole processes, started one after the other in turns, so that both
// meet the same disk cache and the same load on the machine.
//
//   bench_decode [--runs N]     makes the three files with ffmpeg in a
//                               temporary folder, runs each side N times
//                               (default 5) and prints min and median of
//                               wall time and peak resident memory (wait4's
//                               ru_maxrss), and the ratios. Goals: our load
//                               within 1.2 x ffmpeg's decoding; our peak for
//                               MP3 and FLAC within the WAV load's + 32 MiB.
//                               Exits 2 when a goal is missed.
//   bench_decode --load FILE    one load as the program does it:
//                               LoadRecordingFile and AdoptRecording into an
//                               AnalysisState; exits 0 when it loaded.
#include "state/AnalysisState.h"
#include "wavein/AudioFile.h"
#include "wavein/Recording.h"

#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tavrel;

namespace {

struct Run {
    double seconds = 0;
    double peakMiB = 0;
    bool ok = false;
};

// Starts argv[0] with argv, its output thrown away, and waits for it.
Run Measure(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    Run r;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peakMiB = double(usage.ru_maxrss) / 1024; // KiB on Linux
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int LoadOnce(const char* path) {
    WavLoadResult r = LoadRecordingFile(QString::fromLocal8Bit(path), 128);
    AnalysisState state;
    if (r.error == WavError::None)
        r.error = AdoptRecording(state, std::move(r.wave));
    return r.error == WavError::None && state.SampleCount > 0 ? 0 : 1;
}

bool Ffmpeg(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    return Measure(all).ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0)
        return LoadOnce(argv[2]);
    int runs = 5;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0)
        runs = std::max(1, std::atoi(argv[2]));

    QTemporaryDir dir;
    const std::string wav = dir.filePath("ten-minutes.wav").toStdString();
    const std::string flac = dir.filePath("ten-minutes.flac").toStdString();
    const std::string mp3 = dir.filePath("ten-minutes.mp3").toStdString();
    // A voice-like left channel (a swelling 220 Hz tone with a little noise)
    // and a different right one, as bench_load's recording.
    const std::string sound =
        "aevalsrc=(0.55+0.45*sin(2*PI*0.2*t))*0.6*sin(2*PI*220*t)+0.03*(random(0)-0.5)"
        "|0.25*sin(2*PI*330*t):s=44100:d=600";
    std::printf("making the recordings ...\n");
    std::fflush(stdout);
    if (!dir.isValid() || !Ffmpeg({"-f", "lavfi", "-i", sound, "-c:a", "pcm_s16le", wav}) ||
        !Ffmpeg({"-i", wav, flac}) || !Ffmpeg({"-i", wav, "-c:a", "libmp3lame", mp3})) {
        std::fprintf(stderr, "cannot make the recordings (is ffmpeg installed?)\n");
        return 1;
    }

    const std::string self = "/proc/self/exe";
    struct Side {
        std::vector<double> seconds, peak;
    };
    std::map<std::string, std::pair<Side, Side>> sides; // ours, ffmpeg's
    const std::vector<std::pair<std::string, std::string>> files = {
        {"WAV", wav}, {"FLAC", flac}, {"MP3", mp3}};
    for (int i = 0; i < runs; ++i)
        for (const auto& [kind, path] : files) {
            const Run ours = Measure({self, "--load", path});
            const Run theirs = Measure({"ffmpeg", "-v", "quiet", "-i", path, "-f", "null", "-"});
            if (!ours.ok || !theirs.ok) {
                std::fprintf(stderr, "a run of %s failed\n", kind.c_str());
                return 1;
            }
            auto& [o, t] = sides[kind];
            o.seconds.push_back(ours.seconds);
            o.peak.push_back(ours.peakMiB);
            t.seconds.push_back(theirs.seconds);
            t.peak.push_back(theirs.peakMiB);
        }

    std::printf("%d runs each, wall time in ms and peak resident memory in MiB (min / median)\n",
                runs);
    std::printf("%-5s %21s %21s %8s %17s %17s\n", "file", "ours ms", "ffmpeg ms", "ratio",
                "ours MiB", "ffmpeg MiB");
    bool met = true;
    const double wavPeak = Median(sides["WAV"].first.peak);
    for (const auto& [kind, path] : files) {
        const auto& [o, t] = sides[kind];
        const double ratio = Median(o.seconds) / Median(t.seconds);
        std::printf(
            "%-5s %10.0f %10.0f %10.0f %10.0f %8.2f %8.1f %8.1f %8.1f %8.1f\n", kind.c_str(),
            1000 * *std::min_element(o.seconds.begin(), o.seconds.end()), 1000 * Median(o.seconds),
            1000 * *std::min_element(t.seconds.begin(), t.seconds.end()), 1000 * Median(t.seconds),
            ratio, *std::min_element(o.peak.begin(), o.peak.end()), Median(o.peak),
            *std::min_element(t.peak.begin(), t.peak.end()), Median(t.peak));
        met = met && ratio <= 1.2;
    }
    for (const char* kind : {"FLAC", "MP3"}) {
        const double over = Median(sides[kind].first.peak) - wavPeak;
        std::printf("%s peak over the WAV load's: %+.1f MiB (goal <= 32): %s\n", kind, over,
                    over <= 32 ? "within" : "OVER");
        met = met && over <= 32;
    }
    std::printf("time ratio goal <= 1.2 for every file: %s\n", met ? "met" : "MISSED");
    return met ? 0 : 2;
}
