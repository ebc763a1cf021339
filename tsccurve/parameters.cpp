#include "exception.h"
#include "number_text.h"
#include "parameter_check.h"
#include "subcommands.h"

CalcState ReadCheckedParameters(const std::vector<std::string>& texts) {
    // Each value is stored before the next is read, as the window does.
    CalcState state;
    for (std::size_t i = 0; i < kEnteredParameters.size(); ++i) {
        state.*kEnteredParameters[i] = StrToFloat(texts[i]);
    }
    if (const auto problem = CheckParameters(state)) throw Exception(*problem);
    return state;
}
