#include "application.h"

#include <QMessageBox>
#include <QString>
#include <iostream>

#include "font_substitutes.h"

namespace {

// The command line is not used: the toolkit gets the program name only.
int toolkitArgc = 1;
char programName[] = "tscview";
char* toolkitArgv[] = {programName, nullptr};

TApplication theApplication;

}  // namespace

TApplication* const Application = &theApplication;

TApplication::TApplication() = default;

TApplication::~TApplication() {
    // Windows cannot outlive the toolkit. When a caller's own toolkit has
    // already gone (the program is ending anyway), they are left to the
    // system rather than destroyed without it.
    if (QApplication::instance() == nullptr) {
        for (std::unique_ptr<QWidget>& form : forms_) static_cast<void>(form.release());
    }
    ReleaseForms();
}

void TApplication::Initialize() {
    if (QApplication::instance() == nullptr) {
        toolkit_ = std::make_unique<QApplication>(toolkitArgc, toolkitArgv);
    }
    RegisterFontSubstitutes();
}

void TApplication::Adopt(std::unique_ptr<QWidget> form) {
    // Only the main window keeps the event loop alive; closing it is the end
    // of the program whatever else is open.
    if (!forms_.empty()) form->setAttribute(Qt::WA_QuitOnClose, false);
    forms_.push_back(std::move(form));
}

void TApplication::Run() {
    if (MainForm() == nullptr || QApplication::instance() == nullptr) return;
    MainForm()->show();
    QApplication::exec();
    ReleaseForms();
    toolkit_.reset();
}

void TApplication::ShowException(const std::exception& error) {
    const QString message = QString::fromUtf8(error.what());
    if (qobject_cast<QApplication*>(QApplication::instance()) == nullptr) {
        std::cerr << error.what() << '\n';
        return;
    }
    QWidget* parent = QApplication::activeWindow();
    if (parent == nullptr) parent = MainForm();
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                    QMessageBox::Ok, parent);
    box.exec();
}

void TApplication::ReleaseForms() {
    // Later windows may refer to the main window, so they go first.
    while (!forms_.empty()) forms_.pop_back();
}
