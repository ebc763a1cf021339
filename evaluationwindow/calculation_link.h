#pragma once

#include <QString>
#include <functional>

// The evaluation window's way to the main window's calculation, given by
// the main window: the evaluation window does not know its fields.
struct TCalculationLink {
    // The texts of the main window's β and S fields.
    std::function<QString()> betaText;
    std::function<QString()> areaText;
    // Puts the texts of a trap into Et, νt, Nt, To, Tend, β and S; an empty
    // text leaves its field as it is. The step field keeps its value, and
    // gets 0.2 when empty.
    std::function<void(const QString (&texts)[7])> writeParameters;
};
