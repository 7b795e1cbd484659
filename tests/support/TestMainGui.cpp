#include <QApplication>

#include "ProcessHome.h"
#include "RunAllTestsForCTest.h"

#include <gtest/gtest.h>

// Widget tests draw on the offscreen platform unless a test run names another.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    ProcessHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Brindlewax");
    QCoreApplication::setApplicationName("quietbell-tests");
    return RunAllTestsForCTest();
}
