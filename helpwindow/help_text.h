#pragma once

#include <QStringList>

// The usage text of the help window, line by line: the purpose, the sample
// parameter set and the peak it yields.
QStringList HelpLines();
