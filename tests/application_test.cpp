// The application object and the command wiring: errors reach the user as a
// message box and the program carries on.
#include "application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QPushButton>
#include <QTest>
#include <ostream>
#include <stdexcept>

#include "command_wiring.h"
#include "exception.h"
#include "font_substitutes.h"
#include "message_box_catcher.h"

namespace {

struct ThrownError {
    const char* name;
    void (*command)();
    const char* message;  // nullptr: no message box
};

void PrintTo(const ThrownError& value, std::ostream* out) { *out << value.name; }

class CommandErrors : public ::testing::TestWithParam<ThrownError> {};

INSTANTIATE_TEST_SUITE_P(
    Wiring, CommandErrors,
    ::testing::Values(
        ThrownError{"NoError", [] {}, nullptr},
        ThrownError{"ProgramError", [] { throw Exception("測定結果 error"); }, "測定結果 error"},
        ThrownError{"ConversionError", [] { throw EConvertError("'x' bad"); }, "'x' bad"},
        ThrownError{"StandardError", [] { throw std::length_error("too long"); }, "too long"},
        ThrownError{"ForeignError", [] { throw 42; }, "Unknown error"}),
    [](const auto& info) { return std::string(info.param.name); });

// A window with one button wired like the main window's commands.
class CommandWindow : public QWidget {
  public:
    explicit CommandWindow(void (*command)()) : command_(command), button_(this) {
        WireClick(&button_, this, &CommandWindow::ButtonClick);
    }
    void ButtonClick(QObject* sender) {
        ++clicks_;
        sender_ = sender;
        command_();
    }
    void (*command_)();
    QPushButton button_;
    int clicks_ = 0;
    QObject* sender_ = nullptr;
};

TEST_P(CommandErrors, AreShownAndTheWindowCarriesOn) {
    CommandWindow window(GetParam().command);
    window.show();
    for (int click = 1; click <= 2; ++click) {
        const MessageBoxCatcher catcher;
        QTest::mouseClick(&window.button_, Qt::LeftButton);
        EXPECT_EQ(window.clicks_, click);
        EXPECT_EQ(window.sender_, &window.button_);
        if (GetParam().message == nullptr) {
            EXPECT_TRUE(catcher.Texts().isEmpty());
        } else {
            EXPECT_EQ(catcher.Texts(), QStringList{QString::fromUtf8(GetParam().message)});
        }
    }
}

}  // namespace
