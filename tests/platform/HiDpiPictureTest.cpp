#include "platform/HiDpiPicture.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using platform::HiDpiPicture;

class HiDpiPictureTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(Picture(QSize(10, 8)).save(folder.filePath("skin.bmp")));
        ASSERT_TRUE(Picture(QSize(20, 16)).save(folder.filePath("skin@2x.bmp")));
        ASSERT_TRUE(Picture(QSize(10, 8)).save(folder.filePath("alone.png")));
    }
    static QImage Picture(QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }
    QTemporaryDir folder;
};

TEST_F(HiDpiPictureTest, ADenserScreenGetsTheTwinWhereThereIsOne) {
    const QString plain = folder.filePath("skin.bmp");
    EXPECT_EQ(HiDpiPicture::PathFor(plain, 1.0), plain);
    EXPECT_EQ(HiDpiPicture::PathFor(plain, 1.5), folder.filePath("skin@2x.bmp"));
    EXPECT_EQ(HiDpiPicture::PathFor(plain, 2.0), folder.filePath("skin@2x.bmp"));
    const QString alone = folder.filePath("alone.png");
    EXPECT_EQ(HiDpiPicture::PathFor(alone, 2.0), alone);
}

TEST_F(HiDpiPictureTest, TheTwinPaintsAtTheOneXSize) {
    const QImage doubled = HiDpiPicture::Load(folder.filePath("skin.bmp"), 2.0);
    EXPECT_EQ(doubled.size(), QSize(20, 16));
    EXPECT_EQ(doubled.deviceIndependentSize().toSize(), QSize(10, 8));
    const QImage single = HiDpiPicture::Load(folder.filePath("alone.png"), 2.0);
    EXPECT_EQ(single.deviceIndependentSize().toSize(), QSize(10, 8));
    EXPECT_TRUE(HiDpiPicture::Load(folder.filePath("missing.png"), 2.0).isNull());
}

}  // namespace
