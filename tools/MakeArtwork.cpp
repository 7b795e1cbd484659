// Paints the program's own artwork: the start picture res/Data/SplashScreen.jpg, the
// application icon res/images/quietbell.png, each also drawn afresh at twice the size for
// dense screens (SplashScreen@2x.jpg, quietbell@2x.png, Qt's @2x convention), and the icon
// for the desktop's icon theme at each of its usual sizes, res/icons/<size>/quietbell.png.
// Run after changing the drawing:
//   build/bin/qb_make_artwork <source root>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

// The main window is 252 x 89 dialog units; with an 8-point dialog font that is this many pixels.
constexpr QSize kSplashSize(378, 145);
constexpr int kIconSize = 64;
// Painted at each size rather than scaled, so that small icons keep crisp edges.
constexpr int kThemeIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kDotsPerMeter = 3780;  // 96 dots per inch

const QColor kNight(18, 32, 58);
const QColor kDusk(46, 78, 112);
const QColor kGold(226, 182, 84);
const QColor kGoldDark(150, 108, 36);

// A bell in a box of the given size, its mouth at the bottom.
QPainterPath BellPath(const QRectF& box) {
    const qreal w = box.width();
    const qreal h = box.height();
    const qreal x = box.left();
    const qreal y = box.top();
    QPainterPath bell;
    bell.moveTo(x + 0.50 * w, y + 0.08 * h);
    bell.cubicTo(x + 0.80 * w, y + 0.08 * h, x + 0.80 * w, y + 0.40 * h, x + 0.82 * w,
                 y + 0.62 * h);
    bell.cubicTo(x + 0.84 * w, y + 0.72 * h, x + 0.95 * w, y + 0.76 * h, x + 0.95 * w,
                 y + 0.82 * h);
    bell.lineTo(x + 0.05 * w, y + 0.82 * h);
    bell.cubicTo(x + 0.05 * w, y + 0.76 * h, x + 0.16 * w, y + 0.72 * h, x + 0.18 * w,
                 y + 0.62 * h);
    bell.cubicTo(x + 0.20 * w, y + 0.40 * h, x + 0.20 * w, y + 0.08 * h, x + 0.50 * w,
                 y + 0.08 * h);
    bell.closeSubpath();
    bell.addEllipse(QPointF(x + 0.50 * w, y + 0.89 * h), 0.09 * w, 0.08 * h);
    return bell;
}

void PaintBell(QPainter& painter, const QRectF& box) {
    QLinearGradient metal(box.topLeft(), box.topRight());
    metal.setColorAt(0.0, kGoldDark);
    metal.setColorAt(0.45, kGold);
    metal.setColorAt(1.0, kGoldDark);
    painter.setPen(QPen(kGoldDark.darker(140), qMax<qreal>(1.0, box.width() / 40)));
    painter.setBrush(metal);
    painter.drawPath(BellPath(box));
}

// Drawn in 1x units; at scale 2 every line and letter is painted at the finer size.
QImage PaintSplash(int scale) {
    QImage image(kSplashSize * scale, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QLinearGradient sky(0, 0, 0, kSplashSize.height());
    sky.setColorAt(0.0, kNight);
    sky.setColorAt(1.0, kDusk);
    painter.fillRect(QRect(QPoint(0, 0), kSplashSize), sky);

    QRadialGradient glow(QPointF(70, 72), 70);
    glow.setColorAt(0.0, QColor(255, 230, 160, 90));
    glow.setColorAt(1.0, QColor(255, 230, 160, 0));
    painter.fillRect(QRect(QPoint(0, 0), kSplashSize), glow);
    PaintBell(painter, QRectF(28, 22, 84, 100));

    QFont title(QStringLiteral("Noto Serif"));
    title.setPixelSize(40);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(kGold);
    painter.drawText(QRect(128, 30, 240, 50), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quietbell"));
    QFont line(QStringLiteral("Noto Sans"));
    line.setPixelSize(14);
    painter.setFont(line);
    painter.setPen(QColor(214, 224, 236));
    painter.drawText(QRect(130, 82, 240, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("a quiet reminder in the tray"));
    painter.drawText(QRect(130, 104, 240, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Version 1.01"));
    painter.end();
    image.setDotsPerMeterX(kDotsPerMeter * scale);
    image.setDotsPerMeterY(kDotsPerMeter * scale);
    return image;
}

// The icon is drawn on a 64-pixel grid and scaled to the size asked for.
QImage PaintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = qreal(size) / kIconSize;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNight);
    painter.drawRoundedRect(QRectF(unit, unit, size - 2 * unit, size - 2 * unit), 12 * unit,
                            12 * unit);
    PaintBell(painter, QRectF(10 * unit, 6 * unit, size - 20 * unit, size - 10 * unit));
    return image;
}

bool Save(const QImage& image, const QString& path, const char* format, int quality) {
    if (image.save(path, format, quality))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool SaveThemeIcons(const QString& root) {
    for (int size : kThemeIconSizes) {
        const QString folder = root + QStringLiteral("/res/icons/%1").arg(size);
        if (!QDir().mkpath(folder) || !Save(PaintIcon(size), folder + "/quietbell.png", "PNG", -1))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qb_make_artwork <source root>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    const bool ok =
        Save(PaintSplash(1), root + "/res/Data/SplashScreen.jpg", "JPEG", 92) &&
        Save(PaintSplash(2), root + "/res/Data/SplashScreen@2x.jpg", "JPEG", 92) &&
        Save(PaintIcon(kIconSize), root + "/res/images/quietbell.png", "PNG", -1) &&
        Save(PaintIcon(2 * kIconSize), root + "/res/images/quietbell@2x.png", "PNG", -1) &&
        SaveThemeIcons(root);
    return ok ? 0 : 1;
}
