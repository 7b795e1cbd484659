#pragma once

// Text read off the screen by OCR (tesseract), for what a program shows but no window
// property carries, such as a tray icon's tooltip drawn by another process. Screen text is
// small, so the picture is scaled up first, in a few ways: one of the readings of a clear
// line of text is right, and a misreading is not the text that was expected.

#include <QImage>
#include <QString>

#include <vector>

class ScreenText {
public:
    // The readings of the picture, one per way of scaling it up: as one line of text, or as a
    // block of several.
    static std::vector<QString> Read(const QImage& picture, bool singleLine = true);
    // Lower-case letters and digits only: blanks, punctuation and the case OCR gets wrong most
    // are not what a test compares.
    static QString Normalised(const QString& text);
    // Whether one of the readings holds the expected text (normalised).
    static bool AnyReadingHolds(const std::vector<QString>& readings, const QString& expected);
    static bool Installed();
};
