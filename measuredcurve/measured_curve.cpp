#include "measured_curve.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>

namespace tsc::analysis {
namespace {

// Larger than any measurement, small enough that a wrong file is refused
// before it fills the memory.
constexpr std::size_t kMaxFileBytes = 256 * 1024 * 1024;
constexpr double kZeroCelsius = 273.15;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsSeparator(char c) { return c == ',' || c == ';'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Fields separated by runs of blanks or by one comma or semicolon with
// optional blanks around it; a separator at the end of the line is allowed.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    line = Trimmed(line);
    while (!line.empty()) {
        std::size_t end = 0;
        while (end < line.size() && !IsBlank(line[end]) && !IsSeparator(line[end])) ++end;
        fields.push_back(line.substr(0, end));
        line = Trimmed(line.substr(end));
        if (!line.empty() && IsSeparator(line.front())) line = Trimmed(line.substr(1));
    }
    return fields;
}

enum class Number { Finite, NotFinite, NotANumber };

// The whole field as a number in C notation, whatever the process locale.
Number ParseNumber(std::string_view field, double& value) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty() || field.front() == '+') return Number::NotANumber;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (stop != end) return Number::NotANumber;
    if (error == std::errc::result_out_of_range) {
        // Too small for a double is zero; too large is not finite.
        const std::size_t e = field.find_first_of("eE");
        if (e == std::string_view::npos || e + 1 >= field.size() || field[e + 1] != '-') {
            return Number::NotFinite;
        }
        value = field.front() == '-' ? -0.0 : 0.0;
        return Number::Finite;
    }
    if (error != std::errc()) return Number::NotANumber;
    return std::isfinite(value) ? Number::Finite : Number::NotFinite;
}

// A heater's controller can let the temperature step back a little, and
// some files repeat a temperature: those are data, sorted here stably, so
// that points of equal temperature keep their order.
void SortByTemperature(MeasuredCurve& curve) {
    const std::size_t n = curve.T.size();
    if (std::is_sorted(curve.T.begin(), curve.T.end())) return;
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return curve.T[a] < curve.T[b]; });
    MeasuredCurve sorted;
    sorted.T.reserve(n);
    sorted.I.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        sorted.T.push_back(curve.T[order[i]]);
        sorted.I.push_back(curve.I[order[i]]);
        if (order[i] != i) ++sorted.reordered;
    }
    curve = std::move(sorted);
}

class Reader {
  public:
    Reader(const std::string& fileName, bool celsius) : file_(fileName), celsius_(celsius) {}

    // Takes one line; returns false once the file is refused.
    bool Line(std::size_t number, std::string_view text) {
        line_ = number;
        text = Trimmed(text);
        if (text.empty()) return EndOfBlock();
        if (text.front() == '#') return true;
        const std::vector<std::string_view> fields = Fields(text);
        std::vector<double> values(fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Number kind = ParseNumber(fields[i], values[i]);
            if (kind == Number::NotANumber) {
                if (!seenContent_ && i == 0) return seenContent_ = true;  // the header
                return Refuse(CurveProblem::NotTwoNumbers);
            }
            if (kind == Number::NotFinite) return Refuse(CurveProblem::NotFinite);
        }
        if (!seenContent_) resultsFile_ = values.size() == 1;
        seenContent_ = true;
        if (resultsFile_) {
            if (values.size() != 1) return Refuse(CurveProblem::NotOneNumber);
            if (!pendingTemperature_) {
                pendingTemperature_ = values[0];
                return true;
            }
            const double T = *pendingTemperature_;
            pendingTemperature_.reset();
            return Point(T, values[0]);
        }
        if (values.size() != 2) return Refuse(CurveProblem::NotTwoNumbers);
        return Point(values[0], values[1]);
    }

    CurveReading Finish() {
        if (!refusal_ && pendingTemperature_) Refuse(CurveProblem::TemperatureWithoutCurrent);
        if (refusal_) return *refusal_;
        SortByTemperature(curve_);
        return std::move(curve_);
    }

  private:
    bool EndOfBlock() {
        if (pendingTemperature_) return Refuse(CurveProblem::TemperatureWithoutCurrent);
        return true;
    }

    bool Point(double T, double I) {
        if (celsius_) T += kZeroCelsius;
        if (!(T > 0)) return Refuse(CurveProblem::TemperatureNotAboveZero);
        curve_.T.push_back(T);
        curve_.I.push_back(I);
        return true;
    }

    bool Refuse(CurveProblem problem) {
        refusal_ = RefusalOf(file_, line_, problem);
        return false;
    }

    std::string file_;
    bool celsius_;
    std::size_t line_ = 0;
    bool seenContent_ = false;
    bool resultsFile_ = false;
    std::optional<double> pendingTemperature_;
    MeasuredCurve curve_;
    std::optional<CurveRefusal> refusal_;
};

}  // namespace

CurveRefusal RefusalOf(const std::string& file, std::size_t line, CurveProblem problem,
                       std::size_t points, std::size_t values) {
    std::string reason;
    switch (problem) {
        case CurveProblem::NotTwoNumbers:
            reason = "expected two numbers, temperature and current";
            break;
        case CurveProblem::NotFinite:
            reason = "a value that is not finite";
            break;
        case CurveProblem::NotOneNumber:
            reason = "expected one number per line, as in a results file";
            break;
        case CurveProblem::TemperatureWithoutCurrent:
            reason = "a temperature without its current";
            break;
        case CurveProblem::TemperatureNotAboveZero:
            reason = "a temperature that is not above 0 K";
            break;
        case CurveProblem::Folder:
            reason = "this is a folder, not a file";
            break;
        case CurveProblem::TooLarge:
            reason = "the file is larger than 256 MiB";
            break;
        case CurveProblem::CannotOpen:
            reason = "the file cannot be opened";
            break;
        case CurveProblem::CannotRead:
            reason = "the file cannot be read";
            break;
        case CurveProblem::NoPoints:
            reason = "the file holds no points";
            break;
        case CurveProblem::TooFewPoints:
            reason = std::to_string(points) + " points; fitting " + std::to_string(values) +
                     " parameters needs at least " + std::to_string(kPointsPerFittedValue * values);
            break;
    }
    return {file, line, reason, problem, points, values};
}

std::string CurveRefusal::Message() const {
    if (line == 0) return file + ": " + reason;
    return file + ":" + std::to_string(line) + ": " + reason;
}

CurveReading ParseMeasuredCurve(std::string_view bytes, const std::string& fileName, bool celsius) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    Reader reader(fileName, celsius);
    std::size_t number = 1;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view line = bytes.substr(0, end);
        if (!reader.Line(number++, line)) break;
        if (end == std::string_view::npos) break;
        const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        bytes.remove_prefix(end + (crlf ? 2 : 1));
    }
    return reader.Finish();
}

CurveReading ReadMeasuredCurve(const std::string& fileName, bool celsius) {
    std::error_code error;
    if (std::filesystem::is_directory(fileName, error)) {
        return RefusalOf(fileName, 0, CurveProblem::Folder);
    }
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (!error && size > kMaxFileBytes) {
        return RefusalOf(fileName, 0, CurveProblem::TooLarge);
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open()) return RefusalOf(fileName, 0, CurveProblem::CannotOpen);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) return RefusalOf(fileName, 0, CurveProblem::CannotRead);
    return ParseMeasuredCurve(bytes, fileName, celsius);
}

MeasuredCurve WithinRange(const MeasuredCurve& curve, double low, double high) {
    MeasuredCurve within;
    within.reordered = curve.reordered;
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        if (curve.T[i] >= low && curve.T[i] <= high) {
            within.T.push_back(curve.T[i]);
            within.I.push_back(curve.I[i]);
        }
    }
    return within;
}

std::optional<CurveRefusal> CheckEnoughPoints(const MeasuredCurve& curve, std::size_t parameters,
                                              const std::string& fileName) {
    if (curve.T.size() >= kPointsPerFittedValue * parameters) return std::nullopt;
    return RefusalOf(fileName, 0, CurveProblem::TooFewPoints, curve.T.size(), parameters);
}

}  // namespace tsc::analysis
