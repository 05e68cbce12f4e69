// The main of the setpoint widget tests: widgets need a QApplication, offscreen unless the
// caller chose a platform.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Test discovery runs the program without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Test programs land in build/tests, the simulator in build/bin.
    if (!std::getenv("TIRV_BIN_DIR"))
        ::setenv("TIRV_BIN_DIR",
                 (QCoreApplication::applicationDirPath() + "/../bin").toLocal8Bit().constData(), 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
