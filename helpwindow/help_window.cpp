#include "help_window.h"

#include <QPlainTextEdit>
#include <QShowEvent>
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

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (outerSizeFitted_ || event->spontaneous()) return;
    outerSizeFitted_ = true;
    // Only now does the window have a frame; shrink the client area so that
    // frame and title bar together keep the designed outer size. Later shows
    // keep whatever size the user gave the window.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(kOuterSize.shrunkBy(frame));
}
