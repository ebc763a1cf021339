#pragma once

#include <QWidget>

class QPlainTextEdit;

// The help window: the usage text in an editable memo. Closing it only hides
// it, so the user's edits stay until the program ends.
class TForm2 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm2(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;

  protected:
    bool event(QEvent* event) override;

  private:
    void FitOuterSize();

    bool outerSizeFitted_ = false;
};

// The one help window, created hidden at start-up after the main window.
extern TForm2* Form2;
