#include "about/GifPlayer.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include "about/GifBlockWalk.h"
#include "about/Himetric.h"

namespace {

QImage ReadPicture(std::span<const std::uint8_t> block, const char* format = nullptr) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(block.data()),
                                               static_cast<qsizetype>(block.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return reader.read();
}

// The frame's part of a picture decoded at the size of the logical screen, in the format the
// animation draws. A frame that covers the whole picture keeps the decoded pixels themselves,
// converted in place, rather than a copy.
QImage CutToFrame(QImage decoded, const QRect& rect) {
    if (rect != decoded.rect())
        decoded = decoded.copy(rect);
    return std::move(decoded).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

CGifPlayer::CGifPlayer(QWidget* parent, std::unique_ptr<CManualResetEvent> stopEvent)
    : QLabel(parent), m_animation(std::move(stopEvent)) {}

// The thread ends before the window goes.
CGifPlayer::~CGifPlayer() {
    Clear();
}

bool CGifPlayer::LoadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return LoadMemory(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())));
}

bool CGifPlayer::LoadMemory(std::span<const std::uint8_t> block) {
    Clear();
    if (!CGifBlockWalk::IsGif(block))
        return LoadStill(block);
    CGifBlockWalk walk(block);
    if (!walk.IsValid())
        return false;
    m_bGif = true;
    m_nWidth = walk.ScreenWidth();
    m_nHeight = walk.ScreenHeight();
    switch (walk.CountFrames()) {
        case 0:
            return false;
        case 1:
            m_pStill = ReadPicture(block, "GIF");
            return !m_pStill.isNull() && PrepareSurface(m_nWidth, m_nHeight);
        default:
            return LoadAnimation(walk);
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
bool CGifPlayer::LoadAnimation(CGifBlockWalk& walk) {
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
        frame.picture = CutToFrame(std::move(decoded), rect);
        frames.push_back(std::move(frame));
    }
    if (frames.empty())
        return false;
    m_animation.SetFrames(std::move(frames));
    return PrepareSurface(m_nWidth, m_nHeight);
}

bool CGifPlayer::PrepareSurface(int width, int height) {
    resize(width, height);
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
    m_animation.Paint(painter);
}
