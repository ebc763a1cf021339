#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QFileDialog;

// What the user does at the file dialog a menu command opens.
struct DialogUser {
    // Runs when the dialog has opened, before anything is typed: the user
    // looks around.
    std::function<void(QFileDialog& dialog)> whenShown;
    // Typed into the name field and confirmed with the dialog's Save or Open
    // button. Null: the user cancels.
    QString name;
    // The answer to "replace the existing file?".
    QMessageBox::StandardButton replaceAnswer = QMessageBox::Yes;
    // Runs as the dialog closes with a name, before the command uses it: the
    // file may change under the program in that moment.
    std::function<void(const QString& chosen)> asTheDialogCloses;
};

// What the user saw.
struct DialogSeen {
    int dialogs = 0;              // file dialogs that opened
    QString shownName;            // the name field's text when the dialog opened
    QString shownFolder;          // the folder it listed then
    bool confirmEnabled = false;  // the confirm button, once the name was typed
    QStringList boxes;            // texts of the message boxes, in order
    bool gaveUp = false;          // a dialog or box was still open after 10 s
};

// Picks the menu item and plays the user at the file dialog and at every
// message box that follows (each box is answered: the replace question as
// `user` says, any other with its first button). A dialog still open after
// the attempt to confirm is cancelled. Returns when the command has returned;
// it never waits longer than about 10 s for the command.
DialogSeen PickFile(QAction* item, const DialogUser& user);
