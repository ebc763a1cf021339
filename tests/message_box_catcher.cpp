#include "message_box_catcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

MessageBoxCatcher::MessageBoxCatcher(int patience) : patience_(patience) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
    sinceLastBox_.start();
}

void MessageBoxCatcher::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        if (sinceLastBox_.hasExpired(patience_)) timer_.stop();
        return;
    }
    if (box != lastBox_) texts_.append(box->text());  // a box may need a second click
    lastBox_ = box;
    sinceLastBox_.restart();
    const QList<QAbstractButton*> buttons = box->buttons();
    if (buttons.isEmpty()) {
        box->reject();
    } else {
        QTest::mouseClick(buttons.front(), Qt::LeftButton);
    }
}
