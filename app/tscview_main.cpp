// The window program: the main window, the hidden help window and the event
// loop. An error that escapes start-up is shown before the program ends.
#include "application.h"
#include "exception.h"
#include "form1.h"
#include "help_window.h"

int main() {
    try {
        Application->Initialize();
        Application->CreateForm<TForm1>(Form1);
        Application->CreateForm<TForm2>(Form2);
        Application->Run();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    return 0;
}
