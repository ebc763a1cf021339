#pragma once

#include <QString>

#include "parameter_check.h"

// The parameter check's refusal as the main window says it, in Japanese,
// naming each parameter as its label does.
QString RefusalMessage(const Refusal& refusal);
