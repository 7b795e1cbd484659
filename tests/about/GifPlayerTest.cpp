#include "about/GifPlayer.h"

#include "about/Himetric.h"
#include "support/GifWriter.h"
#include "support/SteppedEvent.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <future>

#include "SpecialFiles.h"

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const std::vector<QRgb> kPalette = {kRed, kBlue, kGreen, kWhite};
// Menu (Window) and button-face (Button) colours told apart.
const QRgb kMenu = qRgb(10, 20, 30);
const QRgb kFace = qRgb(200, 190, 180);

const QRect kPixel(0, 0, 1, 1);

std::vector<std::uint8_t> Frames(int count, const std::string& version = "89a") {
    CGifWriter gif(2, 2, kPalette, version);
    for (int i = 0; i < count; ++i)
        gif.GraphicControl(10, 1).Image(QRect(0, 0, 2, 2), FilledIndices(QRect(0, 0, 2, 2), i & 3));
    return gif.Bytes();
}

// A frame Qt's reader refuses: its data is not LZW of a sane code size.
void BrokenFrame(CGifWriter& gif) {
    gif.GraphicControl(10, 1).RawImage(kPixel, 13, {0xFF, 0xFF, 0xFF});
}

std::vector<std::uint8_t> Jpeg(int width, int height, int dotsPerMeter) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

struct LoadCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> build;
    bool loads;
    bool animated;
    QSize size;
};
void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class GifPlayerLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(GifPlayerLoad, LoadsAsExpected) {
    CGifPlayer player;
    EXPECT_EQ(player.LoadMemory(GetParam().build()), GetParam().loads);
    EXPECT_EQ(player.IsAnimated(), GetParam().animated);
    if (GetParam().loads) {
        EXPECT_EQ(player.size(), GetParam().size);
    }
    player.Play();
    EXPECT_EQ(player.IsAnimating(), GetParam().animated);
}

INSTANTIATE_TEST_SUITE_P(
    Player, GifPlayerLoad,
    testing::Values(
        LoadCase{"TwoFrames89a", [] { return Frames(2); }, true, true, {2, 2}},
        LoadCase{"TwoFrames87a", [] { return Frames(2, "87a"); }, true, true, {2, 2}},
        LoadCase{
            "OtherVersionGoesToStillReader", [] { return Frames(2, "90a"); }, false, false, {}},
        LoadCase{"OneFrameIsStill", [] { return Frames(1); }, true, false, {2, 2}},
        LoadCase{"AllFramesFail",
                 [] {
                     CGifWriter gif(1, 1, kPalette);
                     BrokenFrame(gif);
                     BrokenFrame(gif);
                     return gif.Bytes();
                 },
                 false,
                 false,
                 {}},
        LoadCase{"OneFrameDecodes",
                 [] {
                     CGifWriter gif(1, 1, kPalette);
                     BrokenFrame(gif);
                     gif.GraphicControl(10, 1).Image(kPixel, {0});
                     return gif.Bytes();
                 },
                 true,
                 false,
                 {1, 1}},
        LoadCase{"ShorterThanItsColourTable",
                 [] {
                     std::vector<std::uint8_t> bytes = Frames(2);
                     bytes.resize(14);
                     return bytes;
                 },
                 false,
                 false,
                 {}},
        LoadCase{
            "EmptyScreen",
            [] { return CGifWriter(0, 0, kPalette).Image(kPixel, {0}).Image(kPixel, {1}).Bytes(); },
            false,
            false,
            {}},
        LoadCase{"FrameLargerThanScreen",
                 [] {
                     const QRect big(0, 0, 3, 3);
                     return CGifWriter(2, 2, kPalette)
                         .Image(big, FilledIndices(big, 1))
                         .Image(big, FilledIndices(big, 2))
                         .Bytes();
                 },
                 true,
                 true,
                 {2, 2}},
        LoadCase{"NotAPicture",
                 [] {
                     return std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'};
                 },
                 false,
                 false,
                 {}},
        LoadCase{"Empty", [] { return std::vector<std::uint8_t>{}; }, false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifPlayerStill, JpegShowsAtItsHimetricExtent) {
    CGifPlayer player;
    ASSERT_TRUE(player.LoadMemory(Jpeg(10, 8, 1890)));  // 48 dots per inch
    const int dpi = player.logicalDpiX();
    EXPECT_EQ(player.width(), (10 * dpi + 24) / 48);
    EXPECT_EQ(player.height(), (8 * player.logicalDpiY() + 24) / 48);
    EXPECT_FALSE(player.IsAnimated());
    player.Play();
    EXPECT_FALSE(player.IsAnimating());
    const QRgb shown = player.Surface().pixel(0, 0);  // JPEG is lossy
    EXPECT_LE(qRed(shown), 8);
    EXPECT_NEAR(qGreen(shown), 128, 8);
    EXPECT_NEAR(qBlue(shown), 128, 8);
}

// The About box must not wait on a pipe in the data folder; a link to the picture is the picture.
TEST(GifPlayerFile, OnlyARegularFileOrALinkToOneIsRead) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("pipe.gif");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    CGifPlayer player;
    {
        const specialfiles::PipeWaitDeadline pipeWaits(dir.path());
        EXPECT_FALSE(player.LoadFile(pipe));
    }

    QFile file(dir.filePath("real.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::vector<std::uint8_t> bytes = Frames(2);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.close();
    ASSERT_TRUE(QFile::link(file.fileName(), dir.filePath("link.gif")));
    EXPECT_TRUE(player.LoadFile(dir.filePath("link.gif")));
    EXPECT_TRUE(player.IsAnimated());
}

TEST(GifPlayerStill, OneDecodableFramePlaysNothing) {
    CGifWriter gif(1, 1, kPalette);
    BrokenFrame(gif);
    gif.GraphicControl(10, 1).Image(kPixel, {0});
    CGifPlayer player;
    QPalette palette = player.palette();
    palette.setColor(QPalette::Window, kMenu);
    player.setPalette(palette);
    ASSERT_TRUE(player.LoadMemory(gif.Bytes()));
    player.Play();
    EXPECT_FALSE(player.IsAnimating());
    EXPECT_EQ(player.Surface().pixel(0, 0), kMenu);
}

TEST(Himetric, RoundTripsThroughTheScreenResolution) {
    EXPECT_EQ(HimetricFromPixels(96, 3780), 2540);
    EXPECT_EQ(PixelsFromHimetric(2540, 96), 96);
    EXPECT_EQ(PixelsFromHimetric(HimetricFromPixels(10, 1890), 96), 20);
    EXPECT_EQ(HimetricFromPixels(10, 0), -1);
}

class SteppedPlayer : public testing::Test {
protected:
    SteppedPlayer() {
        auto event = std::make_unique<CSteppedEvent>([this] { m_destroyed.set_value(); });
        m_event = event.get();
        m_player = std::make_unique<CGifPlayer>(nullptr, std::move(event));
        QPalette palette = m_player->palette();
        palette.setColor(QPalette::Window, kMenu);
        palette.setColor(QPalette::Button, kFace);
        m_player->setPalette(palette);
    }

    QRgb Pixel(int x, int y) const { return m_player->Surface().pixel(x, y); }

    std::promise<void> m_destroyed;
    CSteppedEvent* m_event = nullptr;
    std::unique_ptr<CGifPlayer> m_player;
};

// Four frames on a 4 x 3 screen; the last column is never drawn by any frame.
std::vector<std::uint8_t> DisposalFrames() {
    CGifWriter gif(4, 3, kPalette);
    gif.GraphicControl(10, 1).Image(QRect(0, 0, 3, 3), FilledIndices(QRect(0, 0, 3, 3), 0));
    gif.GraphicControl(10, 3).Image(QRect(1, 1, 1, 1), {1});
    gif.GraphicControl(10, 2).Image(QRect(0, 0, 1, 1), {2});
    gif.GraphicControl(10, 0).Image(QRect(2, 0, 1, 1), {3});
    return gif.Bytes();
}

TEST_F(SteppedPlayer, DisposalMethodsAndWrapAround) {
    ASSERT_TRUE(m_player->LoadMemory(DisposalFrames()));
    m_player->Play();

    ASSERT_TRUE(m_event->AwaitWait(1));
    EXPECT_EQ(Pixel(0, 0), kRed);
    EXPECT_EQ(Pixel(3, 0), kMenu) << "the surface starts in the menu colour";

    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(2));
    EXPECT_EQ(Pixel(1, 1), kBlue);

    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(3));
    EXPECT_EQ(Pixel(1, 1), kRed) << "method 3 restores exactly the area under the frame";
    EXPECT_EQ(Pixel(0, 0), kGreen);
    EXPECT_EQ(Pixel(0, 1), kRed) << "method 1 leaves the frame under the next one";

    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(4));
    EXPECT_EQ(Pixel(0, 0), kFace) << "method 2 fills with the button face";
    EXPECT_EQ(Pixel(2, 0), kWhite);

    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(5));
    EXPECT_EQ(m_player->ShownFrame(), 0);
    EXPECT_EQ(Pixel(3, 0), kFace) << "the wrap-around fills the whole surface";
    EXPECT_EQ(Pixel(2, 0), kRed);
    EXPECT_EQ(Pixel(0, 0), kRed);
}

// Frames keep their transparent pixels and their place through the load, also where they hang
// off the screen: white (index 3) is transparent in the second frame.
TEST_F(SteppedPlayer, TransparentPixelsAndFramesOffTheScreenDrawAsDecoded) {
    CGifWriter gif(4, 3, kPalette);
    gif.GraphicControl(10, 1).Image(QRect(0, 0, 4, 3), FilledIndices(QRect(0, 0, 4, 3), 0));
    gif.GraphicControl(10, 1, 3).Image(QRect(2, 1, 3, 3), {1, 3, 1, 3, 1, 1, 1, 1, 1});
    ASSERT_TRUE(m_player->LoadMemory(gif.Bytes()));
    m_player->Play();
    ASSERT_TRUE(m_event->AwaitWait(1));
    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(2));
    EXPECT_EQ(Pixel(2, 1), kBlue);
    EXPECT_EQ(Pixel(3, 1), kRed) << "a transparent pixel leaves the frame under it";
    EXPECT_EQ(Pixel(2, 2), kRed);
    EXPECT_EQ(Pixel(3, 2), kBlue);
    EXPECT_EQ(Pixel(1, 1), kRed) << "nothing left of the frame's rectangle is touched";
}

TEST_F(SteppedPlayer, StopThenPlayResumesAtTheFrameOnShow) {
    ASSERT_TRUE(m_player->LoadMemory(DisposalFrames()));
    m_player->Play();
    ASSERT_TRUE(m_event->AwaitWait(1));
    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(2));
    m_player->StopAnimation();
    EXPECT_FALSE(m_player->IsAnimating());
    EXPECT_EQ(m_player->ShownFrame(), 1);
    EXPECT_EQ(Pixel(1, 1), kBlue);

    m_player->Play();
    ASSERT_TRUE(m_event->AwaitWait(3));
    EXPECT_EQ(m_player->ShownFrame(), 1);
    EXPECT_EQ(Pixel(1, 1), kBlue) << "the frame on show is disposed of, then drawn again";
    m_event->Step();
    ASSERT_TRUE(m_event->AwaitWait(4));
    EXPECT_EQ(m_player->ShownFrame(), 2);
    EXPECT_EQ(Pixel(1, 1), kRed) << "its saved area came back when it was disposed of";
}

TEST_F(SteppedPlayer, WaitsFollowTheFrameDelays) {
    CGifWriter gif(1, 1, kPalette);
    for (std::uint16_t delay : {0, 4, 5, 100})
        gif.GraphicControl(delay, 1).Image(kPixel, {0});
    gif.Image(kPixel, {1});
    ASSERT_TRUE(m_player->LoadMemory(gif.Bytes()));
    m_player->Play();
    for (std::size_t wait = 1; wait < 5; ++wait) {
        ASSERT_TRUE(m_event->AwaitWait(wait));
        m_event->Step();
    }
    ASSERT_TRUE(m_event->AwaitWait(5));
    EXPECT_EQ(m_event->Waits(), (std::vector<long long>{100, 100, 50, 1000, 0xFFFFFFF6}));
}

TEST_F(SteppedPlayer, DestroyingWhileAnimatingJoinsTheThreadFirst) {
    ASSERT_TRUE(m_player->LoadMemory(DisposalFrames()));
    m_player->Play();
    ASSERT_TRUE(m_event->AwaitWait(1));
    std::future<void> destroyed = m_destroyed.get_future();
    m_player.reset();
    EXPECT_EQ(destroyed.wait_for(std::chrono::seconds(0)), std::future_status::ready)
        << "the thread was joined and its state released before the player went";
}

TEST(GifAnimationStuckThread, NothingIsFreedUnderAThreadPastTheStopWait) {
    std::promise<void> destroyed;
    auto event = std::make_unique<CSteppedEvent>([&] { destroyed.set_value(); }, true);
    CSteppedEvent* stepped = event.get();
    CGifAnimation animation(std::move(event));
    ASSERT_TRUE(animation.PrepareSurface(2, 2, Qt::black, Qt::white));
    std::vector<GifFrame> frames(2);
    for (GifFrame& frame : frames) {
        frame.width = frame.height = 2;
        frame.picture = QImage(2, 2, QImage::Format_ARGB32_Premultiplied);
        frame.picture.fill(Qt::red);
    }
    animation.SetFrames(std::move(frames));
    animation.Start([] {});
    ASSERT_TRUE(stepped->AwaitWait(1));

    animation.SetStopWait(std::chrono::milliseconds(0));
    animation.Stop();
    EXPECT_FALSE(animation.IsRunning());
    EXPECT_EQ(animation.FrameCount(), 0) << "the player lets the stuck thread keep its state";
    std::future<void> released = destroyed.get_future();
    EXPECT_EQ(released.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    stepped->Step();  // the thread wakes, sees the stop and ends, freeing its state
    EXPECT_EQ(released.wait_for(std::chrono::seconds(20)), std::future_status::ready);
}

TEST(GifPlayerTruncation, EveryCutLoadsBounded) {
    const std::vector<std::uint8_t> whole = DisposalFrames();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        CGifPlayer player;
        if (player.LoadMemory(cut)) {
            EXPECT_EQ(player.size(), QSize(4, 3)) << length;
        }
        player.Play();
    }
}

}  // namespace
