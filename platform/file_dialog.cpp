#include "file_dialog.h"

#include <QLineEdit>
#include <QStringList>

TFileDialog::TFileDialog(QWidget* owner, AcceptMode acceptMode, FileMode fileMode)
    : QFileDialog(owner) {
    // Qt's own dialog rather than the desktop's: it behaves the same on
    // every desktop and without one.
    setOption(DontUseNativeDialog);
    // The list shows each type's name alone; the patterns Qt needs for
    // matching follow it in parentheses, hidden.
    setOption(HideNameFilterDetails);
    setAcceptMode(acceptMode);
    setFileMode(fileMode);
}

bool TFileDialog::Execute() {
    if (fileName_.isEmpty()) {
        // Nothing confirmed yet: the name field starts empty, whatever was
        // typed before a cancel.
        if (auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            nameField->clear();
        }
    } else {
        selectFile(fileName_);
    }
    if (exec() != Accepted) return false;
    const QStringList chosen = selectedFiles();
    if (chosen.isEmpty()) return false;
    fileName_ = chosen.front();
    return true;
}

void TFileDialog::SetFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        nameFilters.append(parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    setNameFilters(nameFilters);
}
