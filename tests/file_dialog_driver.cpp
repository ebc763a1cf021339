#include "file_dialog_driver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kPatienceMs = 10000;

QAbstractButton* ButtonWithRole(QFileDialog& dialog, QDialogButtonBox::ButtonRole role) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    if (box == nullptr) return nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == role) return button;
    }
    return nullptr;
}

// Plays the user from a timer while the command runs its modal loops. Any
// step that opens a modal loop itself (a confirm that asks a question) is
// queued, so the timer is never stuck inside it.
class Player {
  public:
    explicit Player(const DialogUser& user) : user_(user) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
        clock_.start();
    }

    DialogSeen seen;

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || busy_) return;
        if (clock_.hasExpired(kPatienceMs)) {
            seen.gaveUp = true;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->reject();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Answer(*box);
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            Play(*dialog);
        }
    }

    void Answer(QMessageBox& box) {
        if (&box != lastBox_) seen.boxes.append(box.text());
        lastBox_ = &box;
        QAbstractButton* button = box.button(QMessageBox::Yes) != nullptr
                                      ? box.button(user_.replaceAnswer)
                                      : box.buttons().value(0);
        if (button == nullptr) {
            box.reject();
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }

    void Play(QFileDialog& dialog) {
        if (&dialog != dialog_) {
            dialog_ = &dialog;
            confirmed_ = false;
            ++seen.dialogs;
            auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            seen.shownName = nameField != nullptr ? nameField->text() : QString();
            seen.shownFolder = dialog.directory().absolutePath();
            if (user_.whenShown) {
                busy_ = true;  // the user may take a while
                user_.whenShown(dialog);
                busy_ = false;
            }
            if (user_.asTheDialogCloses) {
                QObject::connect(&dialog, &QFileDialog::fileSelected, &timer_,
                                 user_.asTheDialogCloses, Qt::SingleShotConnection);
            }
        }
        QAbstractButton* cancel = ButtonWithRole(dialog, QDialogButtonBox::RejectRole);
        if (user_.name.isNull() || confirmed_) {
            // Cancelled, or still open after the confirm: the user gives up.
            if (cancel != nullptr) QTest::mouseClick(cancel, Qt::LeftButton);
            if (dialog.isVisible()) dialog.reject();
            return;
        }
        confirmed_ = true;
        if (auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            nameField->setFocus();
            nameField->setText(user_.name);
        } else {
            dialog.selectFile(user_.name);
        }
        QAbstractButton* confirm = ButtonWithRole(dialog, QDialogButtonBox::AcceptRole);
        seen.confirmEnabled = confirm != nullptr && confirm->isEnabled();
        // The confirm may ask a question in a modal loop of its own; queued,
        // it leaves this timer free to answer it. A disabled button is
        // pressed through Enter's way in, accept(), which checks the name the
        // same way.
        busy_ = true;
        QPointer<QFileDialog> target(&dialog);
        const bool byButton = seen.confirmEnabled;
        QTimer::singleShot(0, &timer_, [this, target, confirm, byButton] {
            busy_ = false;
            if (target == nullptr || !target->isVisible()) return;
            if (byButton) {
                QTest::mouseClick(confirm, Qt::LeftButton);
            } else {
                static_cast<QDialog*>(target.data())->accept();  // as Enter would
            }
        });
    }

    DialogUser user_;
    QTimer timer_;
    QElapsedTimer clock_;
    QPointer<QFileDialog> dialog_;
    QPointer<QMessageBox> lastBox_;
    bool confirmed_ = false;
    bool busy_ = false;
};

}  // namespace

DialogSeen PickFile(QAction* item, const DialogUser& user) {
    Player player(user);
    item->trigger();
    return player.seen;
}
