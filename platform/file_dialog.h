#pragma once

#include <QFileDialog>
#include <QString>

class QPushButton;

// A file dialog the window keeps for its whole life: run modally with
// Execute, it remembers the file name the user last confirmed and opens with
// it again. It is Qt's own dialog, the same on every desktop.
class TFileDialog : public QFileDialog {
  public:
    // Runs the dialog until the user confirms a file name or cancels. True
    // when a name was confirmed; it is then FileName(). Cancelling keeps the
    // name from before.
    bool Execute();

    // The path the dialog last returned, exactly as it returned it; empty
    // until the user first confirms one.
    QString FileName() const { return fileName_; }

    // Sets the file types the user can pick from, as "name|patterns" pairs
    // joined by '|', patterns separated by ';':
    // "Text (*.txt)|*.txt|Any|*". The first type is selected. Each name is
    // shown exactly as given.
    void SetFilter(const QString& filter);

  protected:
    TFileDialog(QWidget* owner, AcceptMode acceptMode, FileMode fileMode);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SizeForReadableColumns();
    QPushButton* ConfirmButton() const;
    bool NamesAnExistingFile() const;
    void KeepConfirmForExistingFiles();

    QString fileName_;
};

// Asks for a file to write, and before replacing one that exists.
class TSaveDialog : public TFileDialog {
  public:
    explicit TSaveDialog(QWidget* owner) : TFileDialog(owner, AcceptSave, AnyFile) {}
};

// Asks for a file to read; only a file that exists is accepted.
class TOpenDialog : public TFileDialog {
  public:
    explicit TOpenDialog(QWidget* owner) : TFileDialog(owner, AcceptOpen, ExistingFile) {}
};
