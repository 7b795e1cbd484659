// The floor for the whole-process figures: a Qt program that does nothing but show one tray
// icon, started and measured beside quietbell by process-figures.sh.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPixmap picture(24, 24);
    picture.fill(Qt::darkCyan);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.setToolTip(QStringLiteral("bare tray"));
    icon.show();
    return app.exec();
}
