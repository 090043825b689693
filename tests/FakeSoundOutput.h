#pragma once
// A sound output that plays nothing and keeps every request, in order.

#include "sound/SoundOutput.h"

#include <QString>
#include <vector>

namespace tavrel::test {

struct FakeSoundOutput : SoundOutput {
    struct Request {
        std::vector<std::uint8_t> image; // the bytes as they were at the call
        QString path;                    // empty for an image
    };
    bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) override {
        requests.push_back({{image, image + size}, {}});
        return true;
    }
    bool StartPlayingFile(const QString& path) override {
        requests.push_back({{}, path});
        return true;
    }
    std::vector<Request> requests;
};

} // namespace tavrel::test
