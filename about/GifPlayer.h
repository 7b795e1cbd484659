#pragma once

#include <QImage>
#include <QLabel>

#include <cstdint>
#include <memory>
#include <span>

#include "about/GifAnimation.h"

class CGifBlockWalk;

// A picture control: a GIF of several frames plays on a thread of its own until it is
// stopped; any other picture Qt reads, a one-frame GIF included, is shown still.
class CGifPlayer : public QLabel {
    Q_OBJECT
public:
    // Decoded frames together may hold at most this many bytes.
    static constexpr std::int64_t kMaxDecodedBytes = std::int64_t{256} << 20;

    explicit CGifPlayer(QWidget* parent = nullptr,
                        std::unique_ptr<CManualResetEvent> stopEvent = nullptr);
    ~CGifPlayer() override;

    bool LoadFile(const QString& path);
    bool LoadMemory(std::span<const std::uint8_t> block);
    void Play();
    void StopAnimation();
    void Clear();
    bool IsAnimated() const;

    int ShownFrame() const { return m_animation.ShownFrame(); }
    QImage Surface() const { return m_animation.Surface(); }
    bool IsAnimating() const { return m_animation.IsRunning(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // scale: the picture is drawn at this many device pixels to one of the screen's.
    bool LoadPicture(std::span<const std::uint8_t> block, int scale);
    bool LoadStill(std::span<const std::uint8_t> block);
    bool LoadAnimation(CGifBlockWalk& walk, int frameCount);
    bool PrepareSurface(int width, int height);

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nScale = 1;
    QColor m_crBackground = Qt::white;
    bool m_bGif = false;
    bool m_bReady = false;
    QImage m_pStill;
    CGifAnimation m_animation;
};
