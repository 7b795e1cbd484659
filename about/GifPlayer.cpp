#include "about/GifPlayer.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <memory>

#include "about/GifBlockWalk.h"
#include "about/Himetric.h"
#include "platform/HiDpiPicture.h"
#include "platform/RegularFile.h"

namespace {

QImage ReadPicture(std::span<const std::uint8_t> block, const char* format = nullptr) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(block.data()),
                                               static_cast<qsizetype>(block.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return reader.read();
}

// The pixels of every frame of one load in one block: one allocation a load rather than one a
// frame, and a block the allocator can keep whole for the next load instead of handing a
// hundred pieces back to the system, to be faulted in again.
class CFrameBlock {
public:
    explicit CFrameBlock(std::size_t bytes) : m_block(new uchar[bytes]), m_nSize(bytes) {}

    // The frame's part of a picture decoded at the size of the logical screen, converted to
    // the format the animation draws as it is copied into the block; the picture holds a
    // share of the block. Null for an empty part or when the block is full.
    QImage Place(QImage decoded, QRect rect);

private:
    std::shared_ptr<uchar[]> m_block;
    std::size_t m_nSize = 0;
    std::size_t m_nUsed = 0;
};

QImage CFrameBlock::Place(QImage decoded, QRect rect) {
    const std::size_t bytes = static_cast<std::size_t>(rect.width()) * rect.height() * 4;
    if (rect.isEmpty() || bytes > m_nSize - m_nUsed)
        return {};
    // Outside the decoded picture a frame is transparent, as a copy of that part gives it.
    if (!decoded.rect().contains(rect)) {
        decoded = decoded.copy(rect);
        rect = decoded.rect();
    }
    using Share = std::shared_ptr<uchar[]>;
    auto share = std::make_unique<Share>(m_block);
    QImage picture(
        m_block.get() + m_nUsed, rect.width(), rect.height(), rect.width() * 4,
        QImage::Format_ARGB32_Premultiplied, [](void* info) { delete static_cast<Share*>(info); },
        share.get());
    if (picture.isNull())
        return {};
    share.release();  // the picture's now, given back when its last copy goes
    m_nUsed += bytes;
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), decoded, rect);
    return picture;
}

}  // namespace

CGifPlayer::CGifPlayer(QWidget* parent, std::unique_ptr<CManualResetEvent> stopEvent)
    : QLabel(parent), m_animation(std::move(stopEvent)) {}

// The thread ends before the window goes.
CGifPlayer::~CGifPlayer() {
    Clear();
}

// On a dense screen the picture drawn at 2x, shown at its 1x size.
bool CGifPlayer::LoadFile(const QString& path) {
    const QString chosen =
        platform::HiDpiPicture::PathFor(path, platform::HiDpiPicture::DesktopRatio());
    QFile file;
    if (!platform::OpenRegularFile(file, chosen))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return LoadPicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       chosen == path ? 1 : 2);
}

bool CGifPlayer::LoadMemory(std::span<const std::uint8_t> block) {
    return LoadPicture(block, 1);
}

bool CGifPlayer::LoadPicture(std::span<const std::uint8_t> block, int scale) {
    Clear();
    m_nScale = scale;
    if (!CGifBlockWalk::IsGif(block))
        return LoadStill(block);
    CGifBlockWalk walk(block);
    if (!walk.IsValid())
        return false;
    m_bGif = true;
    m_nWidth = walk.ScreenWidth();
    m_nHeight = walk.ScreenHeight();
    const int frameCount = walk.CountFrames();
    switch (frameCount) {
        case 0:
            return false;
        case 1:
            m_pStill = ReadPicture(block, "GIF");
            return !m_pStill.isNull() && PrepareSurface(m_nWidth, m_nHeight);
        default:
            return LoadAnimation(walk, frameCount);
    }
}

// Shown at its extent in HIMETRIC units converted with the screen's resolution.
bool CGifPlayer::LoadStill(std::span<const std::uint8_t> block) {
    m_pStill = ReadPicture(block);
    if (m_pStill.isNull())
        return false;
    const int width = HimetricFromPixels(m_pStill.width(), m_pStill.dotsPerMeterX());
    const int height = HimetricFromPixels(m_pStill.height(), m_pStill.dotsPerMeterY());
    m_nWidth = PixelsFromHimetric(width, logicalDpiX());
    m_nHeight = PixelsFromHimetric(height, logicalDpiY());
    return PrepareSurface(m_nWidth, m_nHeight);
}

// Each frame is decoded once, here, from its own one-frame GIF, as soon as it is cut out, so
// that only one wrapped frame is held at a time; a frame Qt refuses is dropped. Frames are cut
// to the logical screen, outside of which nothing shows.
bool CGifPlayer::LoadAnimation(CGifBlockWalk& walk, int frameCount) {
    // Every frame is cut to the logical screen, so this many bytes hold them all.
    const std::int64_t screenBytes = std::int64_t{m_nWidth} * m_nHeight * 4;
    CFrameBlock pixels(
        static_cast<std::size_t>(std::min(screenBytes * frameCount, kMaxDecodedBytes)));
    std::vector<GifFrame> frames;
    std::int64_t decodedBytes = 0;
    walk.RewindToFirstBlock();
    while (const auto block = walk.ExtractNextFrame()) {
        QImage decoded = ReadPicture(block->bytes, "GIF");
        if (decoded.isNull())
            continue;
        const QRect rect =
            QRect(block->info.left, block->info.top, block->info.width, block->info.height) &
            QRect(0, 0, m_nWidth, m_nHeight);
        decodedBytes += std::int64_t{rect.width()} * rect.height() * 4;
        if (decodedBytes > kMaxDecodedBytes)
            break;
        GifFrame frame;
        static_cast<GifFrameInfo&>(frame) = block->info;
        frame.left = rect.left();
        frame.top = rect.top();
        frame.width = rect.width();
        frame.height = rect.height();
        frame.picture = pixels.Place(std::move(decoded), rect);
        frames.push_back(std::move(frame));
    }
    if (frames.empty())
        return false;
    m_animation.SetFrames(std::move(frames));
    return PrepareSurface(m_nWidth, m_nHeight);
}

bool CGifPlayer::PrepareSurface(int width, int height) {
    resize(width / m_nScale, height / m_nScale);
    m_crBackground = palette().color(QPalette::Button);
    const QColor menu = palette().color(QPalette::Window);
    if (!m_animation.PrepareSurface(width, height, menu, m_crBackground))
        return false;
    m_bReady = true;
    return true;
}

void CGifPlayer::Play() {
    if (!m_bReady)
        return;
    if (IsAnimated()) {
        // The thread only asks for a repaint; the widget is touched on its own thread.
        m_animation.Start([this] { QMetaObject::invokeMethod(this, [this] { update(); }); });
        return;
    }
    if (!m_pStill.isNull()) {
        m_animation.DrawStill(m_pStill);
        update();
    }
}

void CGifPlayer::StopAnimation() {
    m_animation.Stop();
}

void CGifPlayer::Clear() {
    m_animation.Clear();
    m_pStill = QImage();
    m_bReady = false;
    m_bGif = false;
    m_crBackground = Qt::white;
}

bool CGifPlayer::IsAnimated() const {
    return m_bGif && m_animation.FrameCount() > 1;
}

// One copy of the surface; the label's own text is never shown.
void CGifPlayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A 2x surface lands on the device pixels one for one.
    painter.scale(1.0 / m_nScale, 1.0 / m_nScale);
    m_animation.Paint(painter);
}
