#include <QCoreApplication>

#include "ProcessHome.h"
#include "RunAllTestsForCTest.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    ProcessHome home;
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Brindlewax");
    QCoreApplication::setApplicationName("quietbell-tests");
    return RunAllTestsForCTest();
}
