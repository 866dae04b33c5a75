#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
    // No display is needed: the build lists the tests without one, and they run offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the clipboard tests need a GUI application
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
