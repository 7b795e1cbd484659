#include "splash/SplashButton.h"
#include "splash/SplashPicture.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "SpecialFiles.h"

namespace {

// A picture of four coloured quarters, so that a stretched copy shows where each went.
QImage Quarters(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::red);
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, Qt::green);
    painter.fillRect(0, height / 2, width / 2, height - height / 2, Qt::blue);
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::yellow);
    return image;
}

// JPEG colours are approximate.
bool Near(QRgb actual, QColor expected) {
    return std::abs(qRed(actual) - expected.red()) < 40 &&
           std::abs(qGreen(actual) - expected.green()) < 40 &&
           std::abs(qBlue(actual) - expected.blue()) < 40;
}

class SplashTest : public testing::Test {
protected:
    QString WriteJpeg(const QImage& image, int dotsPerMeter) {
        QImage copy = image;
        copy.setDotsPerMeterX(dotsPerMeter);
        copy.setDotsPerMeterY(dotsPerMeter);
        const QString path = dir.filePath("SplashScreen.jpg");
        EXPECT_TRUE(copy.save(path, "JPEG", 95));
        return path;
    }

    // The button's face as it is drawn on screen.
    QImage Face(CSplashButton& button, QSize size) {
        button.resize(size);
        QImage face(size, QImage::Format_RGB32);
        face.fill(Qt::gray);
        button.render(&face);
        return face;
    }

    QTemporaryDir dir;
};

TEST_F(SplashTest, LoadsSizeInHimetricFromTheStoredResolution) {
    // 200 px at 3937 dots per metre (100 dpi) is 50.8 mm.
    CSplashPicture picture(WriteJpeg(Quarters(200, 100), 3937), 1);
    ASSERT_FALSE(picture.IsEmpty());
    EXPECT_NEAR(picture.hmWidth, 5080, 2);
    EXPECT_NEAR(picture.hmHeight, 2540, 2);
    EXPECT_EQ(picture.stretch, 1);
}

TEST_F(SplashTest, MissingOrUndecodableFileLeavesTheHolderEmpty) {
    CSplashPicture missing(dir.filePath("none.jpg"), 1);
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(missing.hmWidth, 0);

    const QString garbage = dir.filePath("SplashScreen.jpg");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xFF\xD8 not really a picture");
    file.close();
    EXPECT_TRUE(CSplashPicture(garbage, 1).IsEmpty());
}

// A pipe without a writer would hold the start for ever; a link to the picture is the picture.
TEST_F(SplashTest, OnlyARegularFileOrALinkToOneIsRead) {
    const QString pipe = dir.filePath("pipe.jpg");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    {
        const specialfiles::PipeWaitDeadline pipeWaits(dir.path());
        EXPECT_TRUE(CSplashPicture(pipe, 1).IsEmpty());
    }

    const QString link = dir.filePath("link.jpg");
    ASSERT_TRUE(QFile::link(WriteJpeg(Quarters(20, 10), 3780), link));
    EXPECT_FALSE(CSplashPicture(link, 1).IsEmpty());
}

TEST_F(SplashTest, PictureOfAnotherAspectFillsTheButtonExactly) {
    // A tall picture on the wide main-window face: each quarter lands in its corner.
    CSplashPicture picture(WriteJpeg(Quarters(80, 160), 3780), 1);
    CSplashButton button;
    button.picture = &picture;
    const QImage face = Face(button, QSize(378, 145));
    EXPECT_TRUE(Near(face.pixel(2, 2), Qt::red));
    EXPECT_TRUE(Near(face.pixel(375, 2), Qt::green));
    EXPECT_TRUE(Near(face.pixel(2, 142), Qt::blue));
    EXPECT_TRUE(Near(face.pixel(375, 142), Qt::yellow));
    // Not a letterbox: the frame is covered to the last pixel.
    EXPECT_TRUE(Near(face.pixel(0, 0), Qt::red));
    EXPECT_TRUE(Near(face.pixel(377, 144), Qt::yellow));
}

TEST_F(SplashTest, WithoutPictureTheFaceIsAWhiteBoxInABlackFrame) {
    CSplashPicture empty(dir.filePath("none.jpg"), 1);
    CSplashButton button;
    button.picture = &empty;
    const QImage face = Face(button, QSize(100, 40));
    for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 39), QPoint(99, 39)})
        EXPECT_EQ(face.pixel(corner), qRgb(0, 0, 0)) << corner.x() << "," << corner.y();
    EXPECT_EQ(face.pixel(50, 20), qRgb(255, 255, 255));
    EXPECT_EQ(face.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(ShippedSplash, TheDataFolderPictureLoads) {
    const QString path =
        qEnvironmentVariable("QB_SOURCE_DIR") + QStringLiteral("/res/Data/SplashScreen.jpg");
    CSplashPicture picture(path, 1);
    ASSERT_FALSE(picture.IsEmpty()) << path.toStdString();
    EXPECT_EQ(picture.picture.size(), QSize(378, 145));
}

}  // namespace
