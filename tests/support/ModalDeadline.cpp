#include "ModalDeadline.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

ModalDeadline::ModalDeadline(std::chrono::milliseconds deadline) {
    // Again after each deadline, for what a closed one opened in its place.
    timer.setInterval(deadline);
    QObject::connect(&timer, &QTimer::timeout, [this] { CloseWhatIsOpen(); });
    timer.start();
}

ModalDeadline::~ModalDeadline() {
    EXPECT_TRUE(closed.isEmpty()) << "still open at the deadline, closed: "
                                  << closed.join(", ").toStdString();
}

void ModalDeadline::CloseWhatIsOpen() {
    for (QWidget* open : {QApplication::activePopupWidget(), QApplication::activeModalWidget()}) {
        if (open) {
            closed << open->metaObject()->className();
            open->close();
        }
    }
}
