#pragma once

#include <QImage>
#include <QString>

class QPainter;
class QRect;

// The start picture of the main window, loaded once from its JPEG file.
class CSplashPicture {
public:
    CSplashPicture(const QString& path, int stretch);
    virtual ~CSplashPicture();

    CSplashPicture(const CSplashPicture&) = delete;
    CSplashPicture& operator=(const CSplashPicture&) = delete;

    // Draws the whole picture stretched over rect, whatever its aspect ratio.
    void Draw(QPainter& painter, const QRect& rect) const;

    bool IsEmpty() const { return picture.isNull(); }

    QImage picture;
    // The picture's size in 0.01 mm, from its pixel size and resolution.
    long hmWidth = 0;
    long hmHeight = 0;
    int stretch = 0;
};
