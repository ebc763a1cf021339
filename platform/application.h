#pragma once

#include <QApplication>
#include <QWidget>
#include <exception>
#include <memory>
#include <vector>

// The application object: it starts the toolkit, owns the windows, runs the
// event loop and is the one place that shows an error to the user.
class TApplication {
  public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Starts the toolkit unless it already runs, and registers the font
    // substitutes the windows rely on. Called first.
    void Initialize();

    // Builds a window of the class, stores it in `reference` and keeps it
    // until the program ends. The first window created is the main window:
    // closing it ends the program even while other windows are open.
    template <class TFormClass>
    void CreateForm(TFormClass*& reference) {
        auto form = std::make_unique<TFormClass>();
        reference = form.get();
        Adopt(std::move(form));
    }

    // Shows the main window and dispatches events until it is closed. The
    // windows are released when it returns, as the program ends with it.
    void Run();

    // Shows the error's message (UTF-8) in a message box and returns when the
    // user has dismissed it. Without a running toolkit the message goes to
    // standard error instead.
    void ShowException(const std::exception& error);

    QWidget* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }

  private:
    void Adopt(std::unique_ptr<QWidget> form);
    void ReleaseForms();

    std::unique_ptr<QApplication> toolkit_;  // only when Initialize started it
    std::vector<std::unique_ptr<QWidget>> forms_;
};

// The program's one application object.
extern TApplication* const Application;
