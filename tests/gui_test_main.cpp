// The window tests run without a display, inside one application object, as
// the program runs its windows.
#include <gtest/gtest.h>

#include <QApplication>

#include "application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication toolkit(argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
