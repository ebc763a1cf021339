#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

// Files dropped anywhere on a window, also on its fields and lists, are
// handed to `open` instead of being pasted as text: the first local file of
// the drop.
class TFileDrop : public QObject {
  public:
    TFileDrop(QWidget* window, std::function<void(const QString& path)> open);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::function<void(const QString&)> open_;
};
