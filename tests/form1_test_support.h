#pragma once

#include <QStringList>
#include <array>
#include <memory>

#include "form1.h"
#include "sample_values.h"

class QAbstractButton;
class QWidget;

// The parameter texts of the help window's sample, Edit1 to Edit8.
using ParameterTexts = std::array<const char*, 8>;

// A main window as start-up leaves it, shown and active.
std::unique_ptr<TForm1> ShowFreshForm();

// Types the texts into Edit1 to Edit8, each field emptied first.
void TypeParameters(TForm1& form, const ParameterTexts& texts);

// Clicks the button and returns the texts of the message boxes the command
// showed (each is dismissed).
QStringList Click(QAbstractButton* button);

// The results list's lines, as the commands see them.
QStringList ListLines(const TForm1& form);
