#pragma once
// A sound output that plays nothing and keeps every request, in order.

#include "sound/SoundOutput.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace tavrel::test {

class FakeSoundOutput : public SoundOutput {
public:
    struct Request {
        bool waited;                     // PlayImageAndWait (true) or StartPlayingFile
        std::vector<std::uint8_t> image; // a copy of the bytes, as they were at the call
        QString path;
    };

    bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) override {
        requests.push_back({true, std::vector<std::uint8_t>(image, image + size), {}});
        if (whilePlaying) // stands for whatever happens while the sound plays
            whilePlaying();
        return result;
    }
    bool StartPlayingFile(const QString& path) override {
        requests.push_back({false, {}, path});
        return result;
    }

    std::vector<Request> requests;
    bool result = true;
    std::function<void()> whilePlaying;
};

} // namespace tavrel::test
