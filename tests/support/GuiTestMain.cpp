#include <gtest/gtest.h>

#include <QApplication>

// The main of every widget test: one application object on the offscreen platform.
int main(int argc, char** argv) {
    // Test discovery runs the binary without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvo"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
