#include "ScreenText.h"

#include <QTemporaryDir>

#include "ChildProcess.h"

namespace {

// ImageMagick's ways of scaling up that read Wine's small Tahoma best.
const std::vector<std::vector<std::string>> kScalings = {
    {"-resize", "400%"},
    {"-filter", "Triangle", "-resize", "400%"},
    {"-resize", "300%", "-threshold", "60%"},
};

}  // namespace

std::vector<QString> ScreenText::Read(const QImage& picture, bool singleLine) {
    std::vector<QString> readings;
    QTemporaryDir folder;
    const QString shot = folder.filePath("shot.png");
    if (!folder.isValid() || !picture.save(shot))
        return readings;
    const ChildProcess::Strings environment = ChildProcess::CurrentEnvironmentWith({});
    for (const std::vector<std::string>& scaling : kScalings) {
        const std::string scaled = folder.filePath("scaled.png").toStdString();
        ChildProcess::Strings convert = {"convert", shot.toStdString(), "-colorspace", "gray"};
        convert.insert(convert.end(), scaling.begin(), scaling.end());
        // OCR wants a margin round the text.
        convert.insert(convert.end(), {"-bordercolor", "white", "-border", "40", scaled});
        if (ChildProcess::Run(convert, environment).exitCode != 0)
            continue;
        const ChildProcess::Result text = ChildProcess::Run(
            {"tesseract", scaled, "stdout", "--psm", singleLine ? "7" : "6"}, environment);
        if (text.exitCode == 0)
            readings.push_back(QString::fromStdString(text.output).trimmed());
    }
    return readings;
}

QString ScreenText::Normalised(const QString& text) {
    QString normalised;
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber())
            normalised += c;
    }
    return normalised;
}

bool ScreenText::AnyReadingHolds(const std::vector<QString>& readings, const QString& expected) {
    const QString wanted = Normalised(expected);
    for (const QString& reading : readings) {
        if (Normalised(reading).contains(wanted))
            return true;
    }
    return false;
}

bool ScreenText::Installed() {
    return ChildProcess::Run({"tesseract", "--version"}, ChildProcess::CurrentEnvironmentWith({}))
               .exitCode == 0;
}
