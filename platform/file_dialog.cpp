#include "file_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStringList>
#include <QTreeView>

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
    SizeForReadableColumns();
    if (fileMode == ExistingFile) KeepConfirmForExistingFiles();
}

void TFileDialog::SizeForReadableColumns() {
    // Qt's own size squeezes the columns, the more so in Japanese ("12....KiB",
    // "コン…"): the dialog gets room for the places beside the folder and for
    // the folder's columns, and the columns after the name are as wide as
    // what they show.
    constexpr int kPlacesWidth = 150;
    resize(860, 480);
    if (auto* splitter = findChild<QSplitter*>(QStringLiteral("splitter"))) {
        splitter->setSizes({kPlacesWidth, width() - kPlacesWidth});
    }
    if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView"))) {
        for (int column = 1; column < details->header()->count(); ++column) {
            details->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        }
    }
}

QPushButton* TFileDialog::ConfirmButton() const {
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return buttons != nullptr ? buttons->button(QDialogButtonBox::Open) : nullptr;
}

bool TFileDialog::NamesAnExistingFile() const {
    const auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (nameField == nullptr || nameField->text().isEmpty()) return false;
    const QFileInfo file(directory(), nameField->text());
    return file.exists() && !file.isDir();
}

void TFileDialog::KeepConfirmForExistingFiles() {
    // Qt greys out Open for a file that the selected type does not list,
    // though Enter opens it. The type only decides what is listed: a file
    // the user names and that exists is opened by the button too. Qt
    // re-checks the button on every change of name, folder or type; each
    // time it disables it, or the name changes, this undoes that.
    QPushButton* confirm = ConfirmButton();
    auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (confirm == nullptr || nameField == nullptr) return;
    confirm->installEventFilter(this);
    connect(nameField, &QLineEdit::textChanged, this, [this, confirm] {
        if (!confirm->isEnabled() && NamesAnExistingFile()) confirm->setEnabled(true);
    });
}

bool TFileDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange && watched == ConfirmButton()) {
        auto* confirm = static_cast<QPushButton*>(watched);
        if (!confirm->isEnabled() && NamesAnExistingFile()) confirm->setEnabled(true);
    }
    return QFileDialog::eventFilter(watched, event);
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
