#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

// While it lives, watches for a modal message box (shown inside a command),
// records its text and dismisses it with a click on its button, so that a
// test never waits for a user. It stops watching after `patience`
// milliseconds without a box.
class MessageBoxCatcher {
  public:
    explicit MessageBoxCatcher(int patience = 10000);

    const QStringList& Texts() const { return texts_; }

  private:
    void Poll();

    QTimer timer_;
    QElapsedTimer sinceLastBox_;
    QPointer<QMessageBox> lastBox_;
    int patience_;
    QStringList texts_;
};
