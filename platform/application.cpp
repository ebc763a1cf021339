#include "application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QString>
#include <QTranslator>
#include <iostream>

#include "font_substitutes.h"

namespace {

// The command line is not used: the toolkit gets the program name only.
int toolkitArgc = 1;
char programName[] = "tscview";
char* toolkitArgv[] = {programName, nullptr};

TApplication theApplication;

// The program speaks Japanese whatever the user's locale: Qt's own texts
// (file dialogs, questions, buttons) and its formatting of sizes and dates
// follow it. Without Qt's translation files they stay English.
void SpeakJapanese() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QCoreApplication* toolkit = QCoreApplication::instance();
    const QString name = QStringLiteral("qtbase_ja");
    if (toolkit->findChild<QTranslator*>(name) != nullptr) return;
    auto* translator = new QTranslator(toolkit);
    translator->setObjectName(name);
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

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
    SpeakJapanese();
    // Every window shows it in its title bar and the task switcher.
    Q_INIT_RESOURCE(application_icon);  // linked from a static library
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tscview-32.png")));
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
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(programName), message,
                    QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void TApplication::ReleaseForms() {
    // Later windows may refer to the main window, so they go first.
    while (!forms_.empty()) forms_.pop_back();
}
