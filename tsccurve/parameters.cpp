#include "exception.h"
#include "number_text.h"
#include "subcommands.h"

CalcState ReadCheckedParameters(const std::vector<std::string>& texts) {
    // Each value is stored before the next is read, as the window does.
    CalcState state;
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        state.*kParameters[i].member = StrToFloat(texts[i]);
    }
    if (const auto refusal = CheckParameters(state)) throw Exception(RefusalText(*refusal));
    return state;
}
