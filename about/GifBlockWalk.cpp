#include "about/GifBlockWalk.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 13;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kColourTableFlag = 0x80;

std::size_t ColourTableSize(std::uint8_t packed) {
    if (!(packed & kColourTableFlag))
        return 0;
    return 3u << ((packed & 7) + 1);
}

bool IsExtensionBetweenFrames(GifBlockKind kind) {
    return kind == GifBlockKind::ApplicationExtension || kind == GifBlockKind::CommentExtension;
}

bool IsGraphicBlock(GifBlockKind kind) {
    return kind == GifBlockKind::ImageDescriptor || kind == GifBlockKind::PlainTextExtension;
}

}  // namespace

std::uint32_t GifFrameInfo::WaitMilliseconds() const {
    if (delay < 5)
        return 100;
    return delay * 10u;
}

bool CGifBlockWalk::IsGif(std::span<const std::uint8_t> buffer) {
    if (buffer.size() < 6)
        return false;
    const char* text = reinterpret_cast<const char*>(buffer.data());
    return std::memcmp(text, "GIF87a", 6) == 0 || std::memcmp(text, "GIF89a", 6) == 0;
}

CGifBlockWalk::CGifBlockWalk(std::span<const std::uint8_t> buffer)
    : m_buffer(buffer), m_nBufferSize(buffer.size()) {
    if (!IsGif(buffer) || m_nBufferSize < kHeaderSize)
        return;
    m_nScreenWidth = *WordAt(6);
    m_nScreenHeight = *WordAt(8);
    m_nGlobalTableSize = ColourTableSize(m_buffer[10]);
    const bool screenUsable = m_nScreenWidth > 0 && m_nScreenHeight > 0 &&
                              m_nScreenWidth <= kMaxScreenSide && m_nScreenHeight <= kMaxScreenSide;
    m_bValid = screenUsable && m_nBufferSize >= kHeaderSize + m_nGlobalTableSize;
    RewindToFirstBlock();
}

int CGifBlockWalk::CountFrames() {
    RewindToFirstBlock();
    int count = 0;
    while (count < kMaxFrames && SkipToNextFrame())
        ++count;
    return count;
}

std::vector<GifFrameBlock> CGifBlockWalk::ExtractFrames() {
    RewindToFirstBlock();
    std::vector<GifFrameBlock> frames;
    while (auto frame = ExtractNextFrame())
        frames.push_back(std::move(*frame));
    return frames;
}

void CGifBlockWalk::RewindToFirstBlock() {
    m_nReadPos = kHeaderSize + m_nGlobalTableSize;
    m_nExtracted = 0;
    m_nWrappedBytes = 0;
}

GifBlockKind CGifBlockWalk::PeekBlockKind() const {
    const auto first = ByteAt(m_nReadPos);
    if (first == kImageSeparator)
        return GifBlockKind::ImageDescriptor;
    if (first == kTrailer)
        return GifBlockKind::Trailer;
    if (first != kExtensionIntroducer)
        return GifBlockKind::Unrecognised;
    switch (ByteAt(m_nReadPos + 1).value_or(0)) {
        case 0xFF:
            return GifBlockKind::ApplicationExtension;
        case 0xFE:
            return GifBlockKind::CommentExtension;
        case 0xF9:
            return GifBlockKind::GraphicControlExtension;
        case 0x01:
            return GifBlockKind::PlainTextExtension;
        default:
            return GifBlockKind::Unrecognised;
    }
}

bool CGifBlockWalk::SkipToNextFrame() {
    return WalkToNextFrame().has_value();
}

std::optional<GifFrameBlock> CGifBlockWalk::ExtractNextFrame() {
    const auto span = WalkToNextFrame();
    if (!span)
        return std::nullopt;
    const std::size_t wrappedSize =
        kHeaderSize + m_nGlobalTableSize + (m_nReadPos - span->start) + 1;
    if (m_nWrappedBytes + wrappedSize > kMaxWrappedBytes)
        return std::nullopt;
    m_nWrappedBytes += wrappedSize;
    return GifFrameBlock{span->info, Wrap(span->start)};
}

// Moves the read position past the next frame; the first graphic control extension before
// an image governs it.
std::optional<CGifBlockWalk::FrameSpan> CGifBlockWalk::WalkToNextFrame() {
    if (!m_bValid || m_nExtracted >= kMaxFrames || !SkipLeadingExtensions())
        return std::nullopt;
    FrameSpan span{m_nReadPos, ReadFrameInfo()};
    if (!SkipToGraphicBlock())
        return std::nullopt;
    if (PeekBlockKind() == GifBlockKind::ImageDescriptor) {
        span.info.left = *WordAt(m_nReadPos + 1);
        span.info.top = *WordAt(m_nReadPos + 3);
        span.info.width = *WordAt(m_nReadPos + 5);
        span.info.height = *WordAt(m_nReadPos + 7);
    }
    if (!SkipBlock())
        return std::nullopt;
    ++m_nExtracted;
    return span;
}

std::optional<std::uint8_t> CGifBlockWalk::ByteAt(std::size_t pos) const {
    if (pos >= m_nBufferSize)
        return std::nullopt;
    return m_buffer[pos];
}

std::optional<int> CGifBlockWalk::WordAt(std::size_t pos) const {
    const auto low = ByteAt(pos);
    const auto high = ByteAt(pos + 1);
    if (!low || !high)
        return std::nullopt;
    return *low | (*high << 8);
}

// The chain's length including its terminating 0, or -1 when it runs past the buffer.
std::int64_t CGifBlockWalk::SubBlockChainLength(std::size_t pos) const {
    std::int64_t total = 0;
    while (true) {
        const auto n = ByteAt(pos);
        if (!n)
            return -1;
        if (*n == 0)
            return total + 1;
        pos += *n + 1u;
        total += *n + 1;
    }
}

// The byte length of the block at the read position; -1 when it is unrecognised or does
// not end within the buffer.
std::int64_t CGifBlockWalk::BlockLength() const {
    auto withChain = [this](std::size_t fixedPart) -> std::int64_t {
        const std::int64_t chain = SubBlockChainLength(m_nReadPos + fixedPart);
        return chain < 0 ? -1 : static_cast<std::int64_t>(fixedPart) + chain;
    };
    switch (PeekBlockKind()) {
        case GifBlockKind::ApplicationExtension:
            return withChain(14);
        case GifBlockKind::CommentExtension:
            return withChain(2);
        case GifBlockKind::GraphicControlExtension:
            return 8;
        case GifBlockKind::PlainTextExtension:
            return withChain(15);
        case GifBlockKind::ImageDescriptor: {
            const auto packed = ByteAt(m_nReadPos + 9);
            return packed ? withChain(11 + ColourTableSize(*packed)) : -1;
        }
        case GifBlockKind::Trailer:
            return 1;
        case GifBlockKind::Unrecognised:
            break;
    }
    return -1;
}

bool CGifBlockWalk::SkipBlock() {
    const std::int64_t length = BlockLength();
    if (length <= 0 || m_nReadPos + static_cast<std::size_t>(length) > m_nBufferSize)
        return false;
    m_nReadPos += static_cast<std::size_t>(length);
    return true;
}

// Application and comment extensions before a frame belong to no frame.
bool CGifBlockWalk::SkipLeadingExtensions() {
    while (IsExtensionBetweenFrames(PeekBlockKind())) {
        if (!SkipBlock())
            return false;
    }
    const GifBlockKind kind = PeekBlockKind();
    return kind == GifBlockKind::GraphicControlExtension || IsGraphicBlock(kind);
}

// The delay and disposal of the graphic control extension at the read position, if one is
// there; the frame's rectangle defaults to the logical screen (a plain-text frame has none).
GifFrameInfo CGifBlockWalk::ReadFrameInfo() {
    GifFrameInfo info;
    info.width = m_nScreenWidth;
    info.height = m_nScreenHeight;
    const bool complete = m_nReadPos + 8 <= m_nBufferSize;
    if (PeekBlockKind() == GifBlockKind::GraphicControlExtension && complete) {
        info.disposal = (m_buffer[m_nReadPos + 3] >> 2) & 7;
        info.delay = static_cast<std::uint32_t>(*WordAt(m_nReadPos + 4));
    }
    return info;
}

// From a graphic control extension on, every extension up to the image belongs to the frame.
bool CGifBlockWalk::SkipToGraphicBlock() {
    while (!IsGraphicBlock(PeekBlockKind())) {
        const GifBlockKind kind = PeekBlockKind();
        const bool belongsToFrame =
            IsExtensionBetweenFrames(kind) || kind == GifBlockKind::GraphicControlExtension;
        if (!belongsToFrame || !SkipBlock())
            return false;
    }
    // The image descriptor's fields are read before the skip checks its whole length.
    return BlockLength() > 0 &&
           m_nReadPos + static_cast<std::size_t>(BlockLength()) <= m_nBufferSize;
}

std::vector<std::uint8_t> CGifBlockWalk::Wrap(std::size_t start) const {
    const std::size_t prefix = kHeaderSize + m_nGlobalTableSize;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(prefix + (m_nReadPos - start) + 1);
    bytes.insert(bytes.end(), m_buffer.begin(), m_buffer.begin() + prefix);
    bytes.insert(bytes.end(), m_buffer.begin() + start, m_buffer.begin() + m_nReadPos);
    bytes.push_back(kTrailer);
    return bytes;
}
