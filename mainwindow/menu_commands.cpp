// The menu commands: saving and opening the results list, and the help
// window. They do nothing until the results file and the help window are
// part of the program.
#include "form1.h"

void TForm1::Open1Click(QObject* /*Sender*/) {}

void TForm1::Save1Click(QObject* /*Sender*/) {}

void TForm1::Tutorial1Click(QObject* /*Sender*/) {}
