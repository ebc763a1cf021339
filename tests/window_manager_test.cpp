// The two windows on a desktop with a window manager, which puts frames around
// them and places them: the outer frames and client areas must be as designed.
// Run by run_under_window_manager.sh; offscreen runs have no frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "application.h"
#include "form1.h"
#include "help_window.h"
#include "qt_printers.h"

namespace {

// The window manager frames a window some time after it is shown.
bool WaitForFrame(QWidget& window) {
    return QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }, 5000);
}

TEST(UnderAWindowManager, BothWindowsHaveTheirDesignedFramesAndPlaces) {
    TForm1 main;
    TForm2 help;
    Form2 = &help;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(WaitForFrame(main)) << "no window manager framed the main window";
    EXPECT_EQ(main.frameGeometry().topLeft(), QPoint(211, 129));
    EXPECT_EQ(main.centralWidget()->size(), QSize(681, 412));

    main.Tutorial1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    ASSERT_TRUE(WaitForFrame(help));
    // The frame may reach the window only after it is shown; the fitting
    // that follows must still give the designed outer size.
    const QRect designed(192, 107, 696, 480);
    static_cast<void>(QTest::qWaitFor([&] { return help.frameGeometry() == designed; }, 5000));
    EXPECT_EQ(help.frameGeometry(), designed);
    Form2 = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication toolkit(argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
