#pragma once
// Stand-ins for the machine below the windows: a clock that moves only when the code
// yields (long playbacks take no real time), a sound output and a program starter
// that keep every request, and a sound input that hands out what a test scripted.

#include "sound/RecorderLauncher.h"
#include "sound/SoundInput.h"
#include "sound/SoundOutput.h"
#include "sound/Ticks.h"

#include <QCoreApplication>
#include <algorithm>
#include <functional>
#include <vector>

namespace tavrel::test {

struct FakeTickClock : TickClock {
    std::int64_t Now() override { return now; }
    // Moves on by stepMs, or with stepMs 0 by the whole wait (at least 1 ms).
    void Yield(std::int64_t maxWaitMs) override {
        waits.push_back(maxWaitMs);
        QCoreApplication::processEvents();
        if (onYield)
            onYield();
        now += stepMs > 0 ? stepMs : std::max<std::int64_t>(1, maxWaitMs);
    }
    std::int64_t now = 0, stepMs = 0;
    std::vector<std::int64_t> waits; // maxWaitMs of each yield
    std::function<void()> onYield;
};

struct FakeSoundOutput : SoundOutput {
    struct Request {
        std::vector<std::uint8_t> image; // the bytes as they were at the call
        QString path;                    // empty for an image
    };
    bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) override {
        requests.push_back({{image, image + size}, {}});
        if (whilePlaying)
            std::exchange(whilePlaying, nullptr)();
        return works;
    }
    bool StartPlayingFile(const QString& path) override {
        requests.push_back({{}, path});
        return works;
    }
    void StopSound() override { ++stops; }
    std::vector<Request> requests;
    bool works = true;                  // false: no sound can be played, as without a device
    std::function<void()> whilePlaying; // runs once inside the next wait for a sound
    int stops = 0;
};

// Start() answers `startAnswer` and records its rate; each Take() hands out the
// next scripted piece (then nothing), and State() says `state`.
struct FakeSoundInput : SoundInput {
    Failure Start(int sampleRate) override {
        rates.push_back(sampleRate);
        return startAnswer;
    }
    std::vector<std::int16_t> Take() override {
        std::vector<std::int16_t> piece;
        if (!pieces.empty())
            piece = std::move(pieces.front()), pieces.erase(pieces.begin());
        return piece;
    }
    Failure State() const override { return state; }
    void Stop() override {}

    Failure startAnswer = Failure::None, state = Failure::None;
    std::vector<std::vector<std::int16_t>> pieces;
    std::vector<int> rates;
};

struct FakeProgramStarter : ProgramStarter {
    bool StartDetached(const QString& path) override {
        started << path;
        return !failing.contains(path);
    }
    QStringList started, failing;
};

} // namespace tavrel::test
