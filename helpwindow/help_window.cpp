#include "help_window.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QWindow>

#include "font_substitutes.h"
#include "help_text.h"

TForm2* Form2 = nullptr;

namespace {

// Frame and title bar included.
constexpr QPoint kOuterPosition(192, 107);
constexpr QSize kOuterSize(696, 480);
constexpr QRect kMemoGeometry(0, 0, 681, 449);

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window), Memo1(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Form2"));
    setFont(DesignFont(kWindowFontFamily, kWindowFontHeight));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    // Until the frame is known, the client area takes the whole outer size.
    move(kOuterPosition);
    resize(kOuterSize);

    Memo1->setGeometry(kMemoGeometry);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Text, memoPalette.color(QPalette::WindowText));
    Memo1->setPalette(memoPalette);
    Memo1->setPlainText(HelpLines().join(u'\n'));
}

bool TForm2::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            FitOuterSize();
            break;
        default:
            break;
    }
    return handled;
}

void TForm2::FitOuterSize() {
    // A window manager frames the window only some time after it is first
    // shown: until then the margins are zero. Once they are known, shrink the
    // client area so that frame and title bar together keep the designed
    // outer size. After that the size is the user's.
    if (outerSizeFitted_ || windowHandle() == nullptr) return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull()) return;
    outerSizeFitted_ = true;
    resize(kOuterSize.shrunkBy(frame));
}
