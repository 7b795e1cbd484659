#include "about/GifAnimation.h"

#include <QPainter>

#include <mutex>

struct CGifAnimation::State {
    explicit State(std::unique_ptr<CManualResetEvent> event)
        : stopEvent(event ? std::move(event) : std::make_unique<CManualResetEvent>()) {}

    void Run();
    void Draw(const GifFrame& frame);
    void Dispose(const GifFrame& frame);
    void Advance();

    mutable std::mutex surfaceMutex;
    QImage surface;
    QImage saved;  // the area under a frame of disposal method 3 while it is on show
    QColor background = Qt::white;
    Invalidate invalidate;

    std::vector<GifFrame> frames;
    std::atomic<int> shownFrame = 0;
    std::atomic<bool> stopping = false;
    std::unique_ptr<CManualResetEvent> stopEvent;
    CManualResetEvent finished;
};

// After a restart the frame on show is disposed of first and then drawn again.
void CGifAnimation::State::Run() {
    Dispose(frames[shownFrame]);
    while (!stopping) {
        const GifFrame& frame = frames[shownFrame];
        Draw(frame);
        if (stopping)
            return;
        stopEvent->WaitFor(std::chrono::milliseconds(frame.WaitMilliseconds()));
        if (stopping)
            return;
        Dispose(frame);
        Advance();
    }
}

void CGifAnimation::State::Draw(const GifFrame& frame) {
    std::lock_guard lock(surfaceMutex);
    const QRect rect(frame.left, frame.top, frame.width, frame.height);
    if (frame.disposal == 3)
        saved = surface.copy(rect);
    QPainter painter(&surface);
    painter.drawImage(rect.topLeft(), frame.picture);
    painter.end();
    if (invalidate)
        invalidate();
}

void CGifAnimation::State::Dispose(const GifFrame& frame) {
    std::lock_guard lock(surfaceMutex);
    const QRect rect(frame.left, frame.top, frame.width, frame.height);
    QPainter painter(&surface);
    if (frame.disposal == 2)
        painter.fillRect(rect, background);
    if (frame.disposal == 3 && !saved.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(rect.topLeft(), saved);
        saved = QImage();
    }
}

// At the wrap-around the whole surface takes the background before frame 0 again.
void CGifAnimation::State::Advance() {
    const int next = shownFrame + 1;
    if (next < static_cast<int>(frames.size())) {
        shownFrame = next;
        return;
    }
    shownFrame = 0;
    std::lock_guard lock(surfaceMutex);
    surface.fill(background);
}

CGifAnimation::CGifAnimation(std::unique_ptr<CManualResetEvent> stopEvent)
    : m_state(std::make_shared<State>(std::move(stopEvent))) {}

CGifAnimation::~CGifAnimation() {
    Stop();
}

bool CGifAnimation::PrepareSurface(int width, int height, QColor fill, QColor background) {
    std::lock_guard lock(m_state->surfaceMutex);
    m_state->surface = QImage(width, height, QImage::Format_RGB32);
    m_state->background = background;
    if (m_state->surface.isNull())
        return false;
    m_state->surface.fill(fill);
    return true;
}

void CGifAnimation::SetFrames(std::vector<GifFrame> frames) {
    m_state->frames = std::move(frames);
}

int CGifAnimation::FrameCount() const {
    return static_cast<int>(m_state->frames.size());
}

void CGifAnimation::DrawStill(const QImage& picture) {
    std::lock_guard lock(m_state->surfaceMutex);
    if (m_state->surface.isNull())
        return;
    QPainter painter(&m_state->surface);
    painter.drawImage(m_state->surface.rect(), picture);
}

void CGifAnimation::Start(Invalidate invalidate) {
    if (m_thread.joinable() || m_state->frames.empty())
        return;
    {
        std::lock_guard lock(m_state->surfaceMutex);
        m_state->invalidate = std::move(invalidate);
    }
    m_state->finished.Reset();
    m_thread = std::thread([shared = m_state] {
        shared->Run();
        shared->finished.Set();
    });
}

void CGifAnimation::Stop() {
    if (!m_thread.joinable())
        return;
    State& state = *m_state;
    state.stopping = true;
    state.stopEvent->Set();
    if (!state.finished.WaitFor(m_stopWait)) {
        // The thread keeps its share of the state and frees it when it ends; this side no
        // longer touches it and stays empty.
        {
            std::lock_guard lock(state.surfaceMutex);
            state.invalidate = nullptr;
        }
        m_thread.detach();
        m_state = std::make_shared<State>(nullptr);
        return;
    }
    m_thread.join();
    {
        std::lock_guard lock(state.surfaceMutex);
        state.invalidate = nullptr;
    }
    state.stopEvent->Reset();
    state.stopping = false;
}

void CGifAnimation::Clear() {
    Stop();
    std::lock_guard lock(m_state->surfaceMutex);
    m_state->frames.clear();
    m_state->surface = QImage();
    m_state->saved = QImage();
    m_state->background = Qt::white;
    m_state->shownFrame = 0;
}

int CGifAnimation::ShownFrame() const {
    return m_state->shownFrame;
}

QImage CGifAnimation::Surface() const {
    std::lock_guard lock(m_state->surfaceMutex);
    return m_state->surface.copy();
}

void CGifAnimation::Paint(QPainter& painter) const {
    std::lock_guard lock(m_state->surfaceMutex);
    if (!m_state->surface.isNull())
        painter.drawImage(0, 0, m_state->surface);
}
