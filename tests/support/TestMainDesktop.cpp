#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "RunAllTestsForCTest.h"
#include "TestMainDesktop.h"

namespace {
DesktopSession* theDesktop = nullptr;
}

DesktopSession& TheDesktop() {
    return *theDesktop;
}

// Desktop tests run in-process on a real X desktop of their own: the session starts first, so
// that the QApplication connects to it on the xcb platform.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // A test binary run once per desktop layout is told which by the environment.
    const std::string layout = qEnvironmentVariable("QB_DESKTOP_LAYOUT", "default").toStdString();
    const auto options = DesktopSession::Options::Layout(layout);
    if (!options) {
        std::fprintf(stderr, "no desktop layout named %s\n", layout.c_str());
        return 1;
    }
    DesktopSession desktop(*options);
    if (!desktop.Start()) {
        std::fprintf(stderr, "no desktop for the tests: %s\n", desktop.Error().c_str());
        return 1;
    }
    desktop.ApplyToThisProcess();
    theDesktop = &desktop;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Brindlewax");
    QCoreApplication::setApplicationName("quietbell-tests");
    return RunAllTestsForCTest();
}
