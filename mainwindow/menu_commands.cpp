// The menu commands: saving and opening the results list, and the help
// window. A file that cannot be written or read stops the command with a file
// error, which the command wiring shows; the results list is left as it was.
#include "file_dialog.h"
#include "form1.h"
#include "help_window.h"
#include "memo.h"

void TForm1::Open1Click(QObject* /*Sender*/) {
    // The file's lines replace the list and nothing else: the chart, the
    // peak fields and the running integral stay, so a later calculation
    // appends after the loaded lines.
    if (OpenDialog1->Execute()) Memo1->Lines.LoadFromFile(OpenDialog1->FileName());
}

void TForm1::Save1Click(QObject* /*Sender*/) {
    if (SaveDialog1->Execute()) Memo1->Lines.SaveToFile(SaveDialog1->FileName());
}

void TForm1::Tutorial1Click(QObject* /*Sender*/) {
    // The one help window, modeless: picked again, it comes to the front.
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}
