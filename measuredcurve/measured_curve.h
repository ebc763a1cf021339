#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A measured TSC curve: temperature (K) and current (A) in two columns.
namespace tsc::analysis {

struct MeasuredCurve {
    std::vector<double> T;  // K, not decreasing
    std::vector<double> I;  // A, or counts; negative values (noise around zero) are data
    // How many points the reader moved to put the temperatures in order.
    std::size_t reordered = 0;
};

// What was wrong with a file, so that a window can say it in its own
// language; `reason` below says it in English.
enum class CurveProblem {
    NotTwoNumbers,              // a line that is not temperature and current
    NotFinite,                  // a value that is not finite
    NotOneNumber,               // a results file's line that is not one number
    TemperatureWithoutCurrent,  // a results file's temperature with no current
    TemperatureNotAboveZero,
    Folder,
    TooLarge,  // over 256 MiB
    CannotOpen,
    CannotRead,
    NoPoints,
    TooFewPoints,  // `points` for a fit of `values` values
};

// A fit needs this many points for each value it fits.
inline constexpr std::size_t kPointsPerFittedValue = 4;

// Why a file was not taken, said once for a person: "FILE:LINE: reason",
// or "FILE: reason" where no single line is to blame (line 0).
struct CurveRefusal {
    std::string file;
    std::size_t line = 0;
    std::string reason;
    CurveProblem problem = CurveProblem::NotTwoNumbers;
    std::size_t points = 0, values = 0;  // for TooFewPoints

    std::string Message() const;
};

// The refusal of `file` for `problem`, its reason in English.
CurveRefusal RefusalOf(const std::string& file, std::size_t line, CurveProblem problem,
                       std::size_t points = 0, std::size_t values = 0);

using CurveReading = std::variant<MeasuredCurve, CurveRefusal>;

// Reads the two columns from a file's bytes. Fields are separated by blanks,
// tabs, a comma or a semicolon; blank lines and lines starting with '#' are
// skipped, and so is a first line that does not start with a number (a
// header). The results file the window saves (temperature, current and an
// empty line per step) is read too. Line ends may be LF, CR LF or CR, and a
// UTF-8 byte-order mark is dropped; the numbers are ASCII in UTF-8 and in
// Shift-JIS alike, so a header in either encoding is simply passed over.
// `celsius` takes the temperatures in degrees Celsius.
//
// Refused, naming the line: a line that is not two numbers, a value that is
// not finite, a temperature not above 0 K. Temperatures that step back are
// put in order (stably: equal temperatures keep the file's order), and the
// curve counts the points moved.
CurveReading ParseMeasuredCurve(std::string_view bytes, const std::string& fileName, bool celsius);

// The same from a file; a file that cannot be read is refused too.
CurveReading ReadMeasuredCurve(const std::string& fileName, bool celsius);

// The points with low <= T <= high.
MeasuredCurve WithinRange(const MeasuredCurve& curve, double low, double high);

// A fit of `parameters` values needs kPointsPerFittedValue points for each.
std::optional<CurveRefusal> CheckEnoughPoints(const MeasuredCurve& curve, std::size_t parameters,
                                              const std::string& fileName);

}  // namespace tsc::analysis
