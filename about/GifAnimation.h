#pragma once

#include <QColor>
#include <QImage>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "about/GifBlockWalk.h"
#include "about/ManualResetEvent.h"

class QPainter;

// One decoded frame: its picture, cut to the frame's rectangle.
struct GifFrame : GifFrameInfo {
    QImage picture;
};

// The off-screen surface of a picture and the thread that animates frames on it.
// The surface is guarded by a lock: the thread draws into it while painting copies from it.
// Everything the thread touches lives in a shared state that the thread co-owns, so a thread
// that outlives the stop wait never has its resources freed under it.
class CGifAnimation {
public:
    using Invalidate = std::function<void()>;

    static constexpr std::chrono::milliseconds kStopWait{5000};

    // A test may pass a stop event that steps time itself.
    explicit CGifAnimation(std::unique_ptr<CManualResetEvent> stopEvent = nullptr);
    ~CGifAnimation();
    CGifAnimation(const CGifAnimation&) = delete;
    CGifAnimation& operator=(const CGifAnimation&) = delete;

    // A surface of the size filled with fill; background is the colour of disposal and of
    // the wrap-around. False when the surface cannot be made.
    bool PrepareSurface(int width, int height, QColor fill, QColor background);
    void SetFrames(std::vector<GifFrame> frames);
    int FrameCount() const;
    void DrawStill(const QImage& picture);

    // Starts the thread at the frame on show; invalidate is called after each frame drawn.
    void Start(Invalidate invalidate);
    // Ends the thread, waiting at most the stop wait; the frame on show is kept.
    void Stop();
    void Clear();
    void SetStopWait(std::chrono::milliseconds wait) { m_stopWait = wait; }

    bool IsRunning() const { return m_thread.joinable(); }
    int ShownFrame() const;
    QImage Surface() const;
    void Paint(QPainter& painter) const;

private:
    struct State;

    std::shared_ptr<State> m_state;
    std::thread m_thread;
    std::chrono::milliseconds m_stopWait = kStopWait;
};
