#pragma once

#include <string>
#include <vector>

#include "spectrum_fit.h"

// Numbers as the reports write them.
namespace tsc::analysis {

// `digits` significant digits, or "undefined" for a value that is not finite.
std::string Significant(double value, int digits);
// A fixed number of decimals.
std::string Fixed(double value, int decimals);
// "value ± error unit", with the value to 6 and the error to 2 digits;
// "value unit (fixed)" for a held value, and a mark where the value ended on
// a bound or is not determined.
std::string WithError(const Estimate& e, const std::string& unit);
// The text followed by spaces to `width` characters (not bytes: ν, ±, ² and
// ⁻ take one each).
std::string Pad(const std::string& text, std::size_t width);
// The shortest text that reads back as the same double, "nan" where none
// does, for the CSV files.
std::string CsvNumber(double value);
// A line per peak that carries a reason: why it is not determined, or a
// remark of the fit's; none for peaks that ran away (their line says it).
std::string PeakRemarks(const std::vector<FittedPeak>& peaks);

}  // namespace tsc::analysis
