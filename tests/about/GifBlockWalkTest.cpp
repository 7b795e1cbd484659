#include "about/GifBlockWalk.h"

#include "support/GifWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const std::vector<QRgb> kPalette = {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0),
                                    qRgb(255, 255, 255)};
const QRect kScreen(0, 0, 4, 3);

CGifWriter TwoFrames() {
    CGifWriter gif(4, 3, kPalette);
    gif.GraphicControl(10, 1).Image(kScreen, FilledIndices(kScreen, 0));
    gif.GraphicControl(20, 2).Image(QRect(1, 1, 2, 2), FilledIndices(QRect(1, 1, 2, 2), 1));
    return gif;
}

int CountFrames(const std::vector<std::uint8_t>& bytes) {
    CGifBlockWalk walk(bytes);
    return walk.CountFrames();
}

struct CountCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> build;
    int frames;
};
void PrintTo(const CountCase& c, std::ostream* os) {
    *os << c.name;
}

class GifFrameCount : public testing::TestWithParam<CountCase> {};

TEST_P(GifFrameCount, CountingAndExtractionAgree) {
    const std::vector<std::uint8_t> bytes = GetParam().build();
    CGifBlockWalk walk(bytes);
    EXPECT_EQ(walk.CountFrames(), GetParam().frames);
    EXPECT_EQ(static_cast<int>(walk.ExtractFrames().size()), GetParam().frames);
}

const QRect kPixel(0, 0, 1, 1);

INSTANTIATE_TEST_SUITE_P(
    Walk, GifFrameCount,
    testing::Values(
        CountCase{"TwoFramesWithControl", [] { return TwoFrames().Bytes(); }, 2},
        CountCase{"OneFrame", [] { return CGifWriter(1, 1, kPalette).Image(kPixel, {0}).Bytes(); },
                  1},
        CountCase{"FramesWithoutControl",
                  [] {
                      return CGifWriter(1, 1, kPalette)
                          .Image(kPixel, {0})
                          .Image(kPixel, {1})
                          .Image(kPixel, {2})
                          .Bytes();
                  },
                  3},
        CountCase{"ExtensionsBetweenFrames",
                  [] {
                      return CGifWriter(1, 1, kPalette)
                          .Application("NETSCAPE2.0", {1, 0, 0})
                          .Comment("made by a test")
                          .GraphicControl(5, 0)
                          .Comment("inside")
                          .Image(kPixel, {0})
                          .Comment("between")
                          .Image(kPixel, {1})
                          .Bytes();
                  },
                  2},
        CountCase{"PlainTextFrame",
                  [] {
                      return CGifWriter(1, 1, kPalette)
                          .GraphicControl(5, 0)
                          .PlainText("hi")
                          .Image(kPixel, {1})
                          .Bytes();
                  },
                  2},
        CountCase{"UnrecognisedBlockEndsWalk",
                  [] {
                      return CGifWriter(1, 1, kPalette)
                          .Image(kPixel, {0})
                          .Raw({0x21, 0x77, 0x00})
                          .Image(kPixel, {1})
                          .Bytes();
                  },
                  1},
        CountCase{"ControlThenTrailer",
                  [] { return CGifWriter(1, 1, kPalette).GraphicControl(5, 0).Bytes(); }, 0},
        CountCase{"TrailerOnly", [] { return CGifWriter(1, 1, kPalette).Bytes(); }, 0},
        CountCase{"NoGlobalTable",
                  [] {
                      return CGifWriter(1, 1, {})
                          .Image(kPixel, {0}, kPalette)
                          .Image(kPixel, {1}, kPalette)
                          .Bytes();
                  },
                  2},
        CountCase{"Version87a",
                  [] {
                      return CGifWriter(1, 1, kPalette, "87a")
                          .Image(kPixel, {0})
                          .Image(kPixel, {1})
                          .Bytes();
                  },
                  2},
        CountCase{"OtherVersionIsNoGif",
                  [] {
                      return CGifWriter(1, 1, kPalette, "90a")
                          .Image(kPixel, {0})
                          .Image(kPixel, {1})
                          .Bytes();
                  },
                  0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifBlockWalk, FramesCarryTheirControlAndRectangle) {
    const std::vector<std::uint8_t> bytes =
        CGifWriter(4, 3, kPalette)
            .GraphicControl(10, 1)
            .GraphicControl(99, 3)  // only the first control before an image governs it
            .Image(kScreen, FilledIndices(kScreen, 0))
            .GraphicControl(20, 2)
            .Image(QRect(1, 2, 3, 1), FilledIndices(QRect(1, 2, 3, 1), 1))
            .Image(QRect(2, 0, 1, 1), {2})
            .Bytes();
    CGifBlockWalk walk(bytes);
    const std::vector<GifFrameBlock> frames = walk.ExtractFrames();
    ASSERT_EQ(frames.size(), 3u);
    auto fields = [](const GifFrameInfo& f) {
        return std::vector<std::int64_t>{f.left, f.top, f.width, f.height, f.delay, f.disposal};
    };
    EXPECT_EQ(fields(frames[0].info), (std::vector<std::int64_t>{0, 0, 4, 3, 10, 1}));
    EXPECT_EQ(fields(frames[1].info), (std::vector<std::int64_t>{1, 2, 3, 1, 20, 2}));
    EXPECT_EQ(fields(frames[2].info),
              (std::vector<std::int64_t>{2, 0, 1, 1, GifFrameInfo::kNoDelay, 0}));
}

bool Contains(const std::vector<std::uint8_t>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(GifBlockWalk, WrappedFrameHoldsHeaderItsOwnBlocksAndTrailer) {
    CGifWriter gif(1, 1, kPalette);
    gif.Comment("before-control").GraphicControl(7, 0).Comment("after-control");
    gif.Application("TESTAPP1.0", {'a', 'p', 'p'}).Image(kPixel, {0});
    gif.Comment("before-second").Image(kPixel, {1});
    const std::vector<std::uint8_t> bytes = gif.Bytes();
    CGifBlockWalk walk(bytes);
    const std::vector<GifFrameBlock> frames = walk.ExtractFrames();
    ASSERT_EQ(frames.size(), 2u);

    const std::size_t prefix = 13 + 3 * 4;
    const std::vector<std::uint8_t>& first = frames[0].bytes;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + prefix, first.begin()));
    EXPECT_EQ(first[prefix], 0x21);
    EXPECT_EQ(first[prefix + 1], 0xF9);
    EXPECT_EQ(first.back(), 0x3B);
    EXPECT_TRUE(Contains(first, "after-control"));
    EXPECT_TRUE(Contains(first, "TESTAPP1.0"));
    EXPECT_FALSE(Contains(first, "before-control"));
    EXPECT_FALSE(Contains(frames[1].bytes, "before-second"));
    EXPECT_EQ(frames[1].bytes[prefix], 0x2C);
}

struct WaitCase {
    std::uint32_t delay;
    std::uint32_t milliseconds;
};

TEST(GifFrameInfo, WaitFollowsTheDelay) {
    const std::vector<WaitCase> cases = {{0, 100},
                                         {1, 100},
                                         {4, 100},
                                         {5, 50},
                                         {100, 1000},
                                         {65535, 655350},
                                         {GifFrameInfo::kNoDelay, 0xFFFFFFF6u}};
    for (const WaitCase& c : cases) {
        GifFrameInfo info;
        info.delay = c.delay;
        EXPECT_EQ(info.WaitMilliseconds(), c.milliseconds) << "delay " << c.delay;
    }
}

// Every cut of a valid file: the walk stays within the cut buffer (checked by the sanitizer
// build, each cut being its own heap block) and never finds more than the file holds.
TEST(GifBlockWalkTruncation, EveryCutOfATwoFrameFile) {
    const std::vector<std::uint8_t> whole = TwoFrames().Bytes();
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        CGifBlockWalk walk(cut);
        const int counted = walk.CountFrames();
        const std::size_t extracted = walk.ExtractFrames().size();
        EXPECT_LE(counted, 2) << length;
        EXPECT_EQ(static_cast<int>(extracted), counted) << length;
        if (length < 13 + 3 * 4) {
            EXPECT_FALSE(walk.IsValid()) << length;
        }
    }
    EXPECT_EQ(CountFrames(whole), 2);
}

struct HostileCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> build;
    bool valid;
    int maxFrames;
};
void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class GifBlockWalkHostile : public testing::TestWithParam<HostileCase> {};

TEST_P(GifBlockWalkHostile, StaysBounded) {
    const std::vector<std::uint8_t> bytes = GetParam().build();
    CGifBlockWalk walk(bytes);
    EXPECT_EQ(walk.IsValid(), GetParam().valid);
    EXPECT_LE(walk.CountFrames(), GetParam().maxFrames);
    const std::vector<GifFrameBlock> frames = walk.ExtractFrames();
    EXPECT_LE(static_cast<int>(frames.size()), GetParam().maxFrames);
    std::size_t total = 0;
    for (const GifFrameBlock& frame : frames)
        total += frame.bytes.size();
    EXPECT_LE(total, CGifBlockWalk::kMaxWrappedBytes);
}

std::vector<std::uint8_t> WithScreen(int width, int height) {
    return CGifWriter(width, height, kPalette).Image(kPixel, {0}).Image(kPixel, {1}).Bytes();
}

std::vector<std::uint8_t> WithCodeSize(std::uint8_t codeSize) {
    return CGifWriter(1, 1, kPalette)
        .RawImage(kPixel, codeSize, {0x44, 0x01})
        .RawImage(kPixel, codeSize, {0xFF, 0xFF, 0xFF})
        .Bytes();
}

std::vector<std::uint8_t> ManyPixelFrames(int count) {
    CGifWriter gif(1, 1, kPalette);
    for (int i = 0; i < count; ++i)
        gif.GraphicControl(0, 0).Image(kPixel, {static_cast<std::uint8_t>(i & 3)});
    return gif.Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Walk, GifBlockWalkHostile,
    testing::Values(
        HostileCase{"SubBlockLengthPastEnd",
                    [] {
                        return CGifWriter(1, 1, kPalette)
                            .Image(kPixel, {0})
                            .Raw({0x21, 0xFE, 0xF0, 'x'})
                            .BytesWithoutTrailer();
                    },
                    true, 1},
        HostileCase{"ChainWithoutTerminator",
                    [] {
                        return CGifWriter(1, 1, kPalette)
                            .Raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01})
                            .BytesWithoutTrailer();
                    },
                    true, 0},
        HostileCase{"ExtensionLabelMissing",
                    [] { return CGifWriter(1, 1, kPalette).Raw({0x21}).BytesWithoutTrailer(); },
                    true, 0},
        HostileCase{"ControlCutShort",
                    [] {
                        return CGifWriter(1, 1, kPalette)
                            .Raw({0x21, 0xF9, 0x04, 0x08})
                            .BytesWithoutTrailer();
                    },
                    true, 0},
        HostileCase{"GlobalTableFlagWithoutTable",
                    [] {
                        std::vector<std::uint8_t> bytes = {'G', 'I', 'F', '8',  '9', 'a', 1,
                                                           0,   1,   0,   0xF7, 0,   0};
                        return bytes;
                    },
                    false, 0},
        HostileCase{"EmptyScreen", [] { return WithScreen(0, 0); }, false, 0},
        HostileCase{"HugeScreen", [] { return WithScreen(65535, 65535); }, false, 0},
        HostileCase{
            "LargestScreen",
            [] { return WithScreen(CGifBlockWalk::kMaxScreenSide, CGifBlockWalk::kMaxScreenSide); },
            true, 2},
        HostileCase{"CodeSize0", [] { return WithCodeSize(0); }, true, 2},
        HostileCase{"CodeSize12", [] { return WithCodeSize(12); }, true, 2},
        HostileCase{"CodeSize13", [] { return WithCodeSize(13); }, true, 2},
        HostileCase{"CodeSize255", [] { return WithCodeSize(255); }, true, 2},
        HostileCase{"HundredThousandPixelFrames", [] { return ManyPixelFrames(100000); }, true,
                    CGifBlockWalk::kMaxFrames}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifBlockWalkCaps, FrameCapStopsBothPasses) {
    const std::vector<std::uint8_t> bytes = ManyPixelFrames(CGifBlockWalk::kMaxFrames + 5);
    CGifBlockWalk walk(bytes);
    EXPECT_EQ(walk.CountFrames(), CGifBlockWalk::kMaxFrames);
    EXPECT_EQ(static_cast<int>(walk.ExtractFrames().size()), CGifBlockWalk::kMaxFrames);
}

TEST(GifBlockWalkCaps, WrappedBytesCapEndsExtraction) {
    // Comments inside each frame make every wrapped frame about 100 kB.
    CGifWriter gif(1, 1, kPalette);
    const std::string comment(100000, 'c');
    for (int i = 0; i < 700; ++i)
        gif.GraphicControl(0, 0).Comment(comment).Image(kPixel, {0});
    const std::vector<std::uint8_t> bytes = gif.Bytes();
    CGifBlockWalk walk(bytes);
    EXPECT_EQ(walk.CountFrames(), 700);
    const std::vector<GifFrameBlock> frames = walk.ExtractFrames();
    std::size_t total = 0;
    for (const GifFrameBlock& frame : frames)
        total += frame.bytes.size();
    EXPECT_LT(frames.size(), 700u);
    EXPECT_GT(frames.size(), 0u);
    EXPECT_LE(total, CGifBlockWalk::kMaxWrappedBytes);
}

}  // namespace
