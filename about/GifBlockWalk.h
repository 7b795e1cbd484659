#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The kind of the block at a parse position, by its first one or two bytes.
enum class GifBlockKind {
    Unrecognised = 0,
    ApplicationExtension = 1,
    CommentExtension = 2,
    GraphicControlExtension = 3,
    PlainTextExtension = 4,
    ImageDescriptor = 5,
    Trailer = 6,
};

// Where a frame goes on the logical screen and how long it stays.
struct GifFrameInfo {
    // A frame without a graphic control extension.
    static constexpr std::uint32_t kNoDelay = 0xFFFFFFFF;

    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    std::uint32_t delay = kNoDelay;  // hundredths of a second
    std::uint32_t disposal = 0;

    // Delays below 5 hundredths are stretched to 100 ms; the product wraps in 32 bits, so a
    // frame without delay waits 0xFFFFFFF6 ms, in practice until the animation stops.
    std::uint32_t WaitMilliseconds() const;
};

// One frame cut out of a GIF, wrapped as a one-frame GIF of its own.
struct GifFrameBlock {
    GifFrameInfo info;
    std::vector<std::uint8_t> bytes;
};

// Walks the blocks of a GIF held in memory. Every read checks the end of the buffer first,
// and the caps keep a hostile file from making the walk hand out unbounded memory.
class CGifBlockWalk {
public:
    static constexpr int kMaxFrames = 1000;
    static constexpr int kMaxScreenSide = 4096;
    static constexpr std::size_t kMaxWrappedBytes = 64u << 20;

    // "GIF" followed by version "87a" or "89a".
    static bool IsGif(std::span<const std::uint8_t> buffer);

    explicit CGifBlockWalk(std::span<const std::uint8_t> buffer);

    // A GIF whose header and global colour table lie within the buffer and whose logical
    // screen is neither empty nor beyond the side cap.
    bool IsValid() const { return m_bValid; }
    int ScreenWidth() const { return m_nScreenWidth; }
    int ScreenHeight() const { return m_nScreenHeight; }

    // Counting pass: the frames the walk reaches, at most kMaxFrames.
    int CountFrames();
    // Extraction pass: the frames the walk reaches, within both caps.
    std::vector<GifFrameBlock> ExtractFrames();

    void RewindToFirstBlock();
    GifBlockKind PeekBlockKind() const;
    bool SkipToNextFrame();
    std::optional<GifFrameBlock> ExtractNextFrame();

private:
    struct FrameSpan {
        std::size_t start = 0;  // the graphic control extension, or the image without one
        GifFrameInfo info;
    };

    std::optional<FrameSpan> WalkToNextFrame();
    std::optional<std::uint8_t> ByteAt(std::size_t pos) const;
    std::optional<int> WordAt(std::size_t pos) const;
    std::int64_t SubBlockChainLength(std::size_t pos) const;
    std::int64_t BlockLength() const;
    bool SkipBlock();
    bool SkipLeadingExtensions();
    bool SkipToGraphicBlock();
    GifFrameInfo ReadFrameInfo();
    std::vector<std::uint8_t> Wrap(std::size_t start) const;

    std::span<const std::uint8_t> m_buffer;
    std::size_t m_nBufferSize = 0;
    std::size_t m_nReadPos = 0;
    std::size_t m_nGlobalTableSize = 0;
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
    bool m_bValid = false;
    int m_nExtracted = 0;
    std::size_t m_nWrappedBytes = 0;
};
