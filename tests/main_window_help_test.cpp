// "ヘルプ" → "使い方" on a real main window, and start-up with both windows:
// one help window however often it is picked, and the main window alone ends
// the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "application.h"
#include "event_loop_watchdog.h"
#include "form1_test_support.h"
#include "help_window.h"
#include "memo.h"

namespace {

int VisibleHelpWindows() {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TForm2*>(window) != nullptr && window->isVisible()) ++count;
    }
    return count;
}

TEST(HelpMenu, TutorialTwiceShowsTheOneHelpWindowInFront) {
    auto form = ShowFreshForm();
    TForm2 help;
    Form2 = &help;

    form->Tutorial1->trigger();
    EXPECT_EQ(VisibleHelpWindows(), 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&help));
    help.Memo1->appendPlainText("note");

    // Back to the main window, which stays usable: nothing modal is open.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_TRUE(Click(form->Button2).isEmpty());
    EXPECT_EQ(form->Memo1->Lines.Count(), 0);

    form->Tutorial1->trigger();
    EXPECT_EQ(VisibleHelpWindows(), 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&help));
    EXPECT_TRUE(help.Memo1->toPlainText().endsWith("\nnote"));  // the same window
    Form2 = nullptr;
}

TEST(StartUp, OnlyClosingTheMainWindowEndsTheProgramEvenWithTheHelpWindowOpen) {
    TApplication application;
    application.CreateForm(Form1);
    application.CreateForm(Form2);

    bool hiddenAtStart = false;
    bool shownByTheMenu = false;
    bool runningAfterHelpClosed = false;
    QTimer::singleShot(0, [&] {
        hiddenAtStart = Form1->isVisible() && !Form2->isVisible();
        Form1->Tutorial1->trigger();
        Form2->close();  // closing the help window ends nothing
        QTimer::singleShot(50, [&] {
            runningAfterHelpClosed = true;
            Form1->Tutorial1->trigger();
            shownByTheMenu = Form2->isVisible();
            Form1->close();
        });
    });
    const bool endedByItself = RunEndsByItself(application);

    EXPECT_TRUE(hiddenAtStart);
    EXPECT_TRUE(runningAfterHelpClosed) << "closing the help window ended the event loop";
    EXPECT_TRUE(shownByTheMenu);
    EXPECT_TRUE(endedByItself) << "the event loop ran on after the main window closed";
    Form1 = nullptr;  // released with the application object's windows
    Form2 = nullptr;
}

}  // namespace
