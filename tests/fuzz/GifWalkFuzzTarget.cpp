#include "GifWalkFuzzTarget.h"

#include "about/GifBlockWalk.h"

#include <cstdlib>
#include <vector>

int RunGifWalk(const std::uint8_t* data, std::size_t size) {
    // A heap copy of exactly the input's size, so that any read past it is caught.
    const std::vector<std::uint8_t> buffer(data, data + size);
    CGifBlockWalk walk(buffer);
    const int counted = walk.CountFrames();
    const std::vector<GifFrameBlock> frames = walk.ExtractFrames();
    std::size_t total = 0;
    for (const GifFrameBlock& frame : frames) {
        total += frame.bytes.size();
        if (frame.bytes.empty() || frame.bytes.back() != 0x3B)
            std::abort();
    }
    if (counted > CGifBlockWalk::kMaxFrames || static_cast<int>(frames.size()) > counted ||
        total > CGifBlockWalk::kMaxWrappedBytes)
        std::abort();
    return 0;
}
