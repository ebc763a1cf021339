#include "curve_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <unsupported/Eigen/NonLinearOptimization>

#include "legacy_model.h"
#include "peak_condition.h"
#include "physical_constants.h"
#include "standard_model.h"
#include "start_values.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The fit's parameters in full; the options fix some of them. The
// background is kept in units of the curve's largest current and of its
// temperature span, so that every parameter the optimiser sees is of order
// one or a logarithm.
enum Index { kEt, kLnVt, kLnNt, kConstant, kSlope, kParameterCount };
using Parameters = std::array<double, kParameterCount>;

// Where a fit is taken to have run off rather than found the level.
bool Plausible(const Parameters& p) {
    return p[kEt] > 1e-3 && p[kEt] < 50 && p[kLnVt] > std::log(1e-8) && p[kLnVt] < std::log(1e45) &&
           p[kLnNt] > std::log(1e-10) && p[kLnNt] < std::log(1e30) && std::isfinite(p[kConstant]) &&
           std::isfinite(p[kSlope]);
}

class Problem {
  public:
    Problem(const MeasuredCurve& curve, const FitOptions& options)
        : curve_(curve), options_(options) {
        To_ = curve.T.front();
        span_ = std::max(curve.T.back() - To_, 1.0);
        scale_ = 0;
        for (const double i : curve.I) scale_ = std::max(scale_, std::fabs(i));
        if (!(scale_ > 0)) scale_ = 1;
        const bool fixed[kParameterCount] = {
            options.fixedEt.has_value(), options.fixedVt.has_value(), options.fixedNt.has_value(),
            options.background == Background::None, options.background != Background::Linear};
        for (int i = 0; i < kParameterCount; ++i) {
            if (!fixed[i]) free_.push_back(i);
        }
    }

    const MeasuredCurve& Curve() const { return curve_; }
    const FitOptions& Options() const { return options_; }
    const std::vector<int>& Free() const { return free_; }
    double Scale() const { return scale_; }
    double Span() const { return span_; }
    double To() const { return To_; }
    int Points() const { return static_cast<int>(curve_.T.size()); }

    Eigen::VectorXd Pack(const Parameters& p) const {
        Eigen::VectorXd x(free_.size());
        for (std::size_t i = 0; i < free_.size(); ++i) x[i] = p[free_[i]];
        return x;
    }
    Parameters Unpack(const Eigen::VectorXd& x, Parameters p) const {
        for (std::size_t i = 0; i < free_.size(); ++i) p[free_[i]] = x[i];
        return p;
    }

    static Trap TrapOf(const Parameters& p) {
        return {p[kEt], std::exp(p[kLnVt]), std::exp(p[kLnNt])};
    }

    // The trap's current alone at every point, A.
    std::vector<double> TrapCurrents(const Parameters& p) const {
        const Trap trap = TrapOf(p);
        if (options_.model == FitModel::Legacy) {
            return LegacyCurrentsAt(trap, options_.Beta, options_.S, options_.step, curve_.T).I;
        }
        const Heating heating{To_, options_.Beta, options_.S};
        std::vector<double> I(curve_.T.size());
        for (std::size_t i = 0; i < I.size(); ++i)
            I[i] = StandardCurrent(trap, heating, curve_.T[i]);
        return I;
    }

    double BackgroundAt(const Parameters& p, double T) const {
        return scale_ * (p[kConstant] + p[kSlope] * (T - To_) / span_);
    }

    std::vector<double> Currents(const Parameters& p) const {
        std::vector<double> I = TrapCurrents(p);
        for (std::size_t i = 0; i < I.size(); ++i) I[i] += BackgroundAt(p, curve_.T[i]);
        return I;
    }

    // (model - measured) / scale.
    void Residuals(const Parameters& p, Eigen::VectorXd& f) const {
        f.resize(Points());
        if (!(p[kEt] > 0)) {
            f.setConstant(1e3);  // not a trap: a step the optimiser must reject
            return;
        }
        const std::vector<double> I = Currents(p);
        for (int i = 0; i < Points(); ++i) {
            f[i] = (I[i] - curve_.I[i]) / scale_;
            if (!std::isfinite(f[i])) f[i] = 1e3;
        }
    }

    void Jacobian(const Parameters& p, Eigen::MatrixXd& J) const {
        const int n = Points();
        Eigen::MatrixXd full(n, kParameterCount);
        if (options_.model == FitModel::Standard) {
            const Trap trap = TrapOf(p);
            const Heating heating{To_, options_.Beta, options_.S};
            for (int i = 0; i < n; ++i) {
                const CurrentWithSlopes s = StandardCurrentWithSlopes(trap, heating, curve_.T[i]);
                const double I = s.current / scale_;
                full(i, kEt) = I * s.dLnI_dEt;
                full(i, kLnVt) = I * s.dLnI_dLnVt;
                full(i, kLnNt) = I * s.dLnI_dLnNt;
            }
        } else {
            // The window's curve has no derivatives of its own: central
            // differences for Et and ln vt; it is proportional to Nt.
            const std::vector<double> I = TrapCurrents(p);
            for (int i = 0; i < n; ++i) full(i, kLnNt) = I[i] / scale_;
            for (const int j : {kEt, kLnVt}) {
                const double h = 6e-6 * std::max(std::fabs(p[j]), 1.0);
                Parameters up = p, down = p;
                up[j] += h;
                down[j] -= h;
                const std::vector<double> Iup = TrapCurrents(up), Idown = TrapCurrents(down);
                for (int i = 0; i < n; ++i) full(i, j) = (Iup[i] - Idown[i]) / (2 * h * scale_);
            }
        }
        for (int i = 0; i < n; ++i) {
            full(i, kConstant) = 1;
            full(i, kSlope) = (curve_.T[i] - To_) / span_;
        }
        J.resize(n, static_cast<Eigen::Index>(free_.size()));
        for (std::size_t j = 0; j < free_.size(); ++j) J.col(j) = full.col(free_[j]);
    }

  private:
    const MeasuredCurve& curve_;
    const FitOptions& options_;
    double To_, span_, scale_;
    std::vector<int> free_;
};

// The optimiser's view of the problem, in the free parameters only.
struct Functor {
    using Scalar = double;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;

    const Problem& problem;
    Parameters fixed;

    int inputs() const { return static_cast<int>(problem.Free().size()); }
    int values() const { return problem.Points(); }
    int operator()(const Eigen::VectorXd& x, Eigen::VectorXd& f) const {
        problem.Residuals(problem.Unpack(x, fixed), f);
        return 0;
    }
    int df(const Eigen::VectorXd& x, Eigen::MatrixXd& J) const {
        problem.Jacobian(problem.Unpack(x, fixed), J);
        return 0;
    }
};

struct Attempt {
    Parameters p{};
    bool converged = false;
    bool plausible = false;
    int iterations = 0;
    double ssr = std::numeric_limits<double>::infinity();
};

Attempt Minimise(const Problem& problem, const Parameters& start) {
    Functor functor{problem, start};
    Eigen::VectorXd x = problem.Pack(start);
    Eigen::LevenbergMarquardt<Functor> lm(functor);
    lm.parameters.ftol = 1e-12;
    lm.parameters.xtol = 1e-12;
    lm.parameters.maxfev = 400;
    const auto status = lm.minimize(x);
    namespace lms = Eigen::LevenbergMarquardtSpace;
    Attempt attempt;
    attempt.p = problem.Unpack(x, start);
    attempt.iterations = static_cast<int>(lm.iter);
    attempt.converged = status != lms::ImproperInputParameters &&
                        status != lms::TooManyFunctionEvaluation && status != lms::UserAsked;
    attempt.plausible = Plausible(attempt.p);
    Eigen::VectorXd f;
    problem.Residuals(attempt.p, f);
    attempt.ssr = f.squaredNorm();
    return attempt;
}

// vt that puts the window's grid peak at Tm, found by bisection in ln vt:
// a higher frequency empties the traps earlier.
double LegacyFrequencyForPeak(const Problem& problem, double Et, double Tm) {
    const FitOptions& o = problem.Options();
    double low = std::log(1e-6), high = std::log(1e40);
    for (int i = 0; i < 60 && high - low > 1e-3; ++i) {
        const double middle = (low + high) / 2;
        const double Tpeak =
            LegacyCurrentsAt({Et, std::exp(middle), 1}, o.Beta, o.S, o.step, problem.Curve().T)
                .Tpeak;
        (Tpeak > Tm ? low : high) = middle;
    }
    return std::exp((low + high) / 2);
}

// Nt that makes the model's largest trap current that of the measurement.
double DensityFromHeight(const Problem& problem, Parameters p, double Im) {
    p[kLnNt] = 0;
    const std::vector<double> I = problem.TrapCurrents(p);
    return Im / *std::max_element(I.begin(), I.end());
}

// What the start values are made from: the background guessed from the
// ends of the curve, and the peak of what is left.
struct StartBasis {
    double constant = 0, slope = 0;  // in the problem's units
    PeakShape peak;
    double Et;
    std::vector<double> trapOnly;
};

StartBasis MeasureStartBasis(const Problem& problem) {
    const MeasuredCurve& c = problem.Curve();
    const FitOptions& o = problem.Options();
    const std::size_t edge = std::max<std::size_t>(1, c.I.size() / 20);
    const double first = std::accumulate(c.I.begin(), c.I.begin() + edge, 0.0) / edge;
    const double last = std::accumulate(c.I.end() - edge, c.I.end(), 0.0) / edge;
    StartBasis basis;
    if (o.background == Background::Constant) basis.constant = std::min(first, last);
    if (o.background == Background::Linear) {
        basis.constant = first;
        basis.slope = last - first;
    }
    basis.trapOnly.resize(c.I.size());
    for (std::size_t i = 0; i < c.I.size(); ++i) {
        basis.trapOnly[i] =
            c.I[i] - basis.constant - basis.slope * (c.T[i] - problem.To()) / problem.Span();
    }
    basis.peak = MeasurePeak(c.T, basis.trapOnly);
    basis.Et = ChenEnergy(basis.peak);
    if (!(basis.Et > 0 && std::isfinite(basis.Et))) basis.Et = 25 * kBoltzmannEv * basis.peak.Tm;
    return basis;
}

// The energies tried, as factors of the half-width estimate: that one first,
// then further and further from it.
constexpr double kEnergyFactors[] = {1.0, 0.8, 1.25, 0.65, 1.5, 0.5, 2.0};

// The start for one of those energies; nothing when it gives no finite
// values (a curve without a peak).
std::optional<Parameters> StartValue(const Problem& problem, const StartBasis& basis,
                                     std::size_t attempt) {
    const FitOptions& o = problem.Options();
    Parameters p{};
    p[kEt] = o.fixedEt.value_or(basis.Et * kEnergyFactors[attempt]);
    p[kConstant] = basis.constant / problem.Scale();
    p[kSlope] = basis.slope / problem.Scale();
    double Vt = o.fixedVt.value_or(kNaN);
    if (!o.fixedVt) {
        Vt = o.model == FitModel::Standard
                 ? FrequencyFromPeakCondition(p[kEt], basis.peak.Tm, o.Beta)
                 : LegacyFrequencyForPeak(problem, p[kEt], basis.peak.Tm);
    }
    p[kLnVt] = std::log(Vt);
    double Nt = o.fixedNt.value_or(kNaN);
    if (!o.fixedNt) {
        // The area first; the retries, and the window's model, whose area
        // is not that of the formula, match the height instead.
        Nt = DensityFromArea(problem.Curve().T, basis.trapOnly, o.Beta, o.S);
        if (attempt > 0 || o.model == FitModel::Legacy || !(Nt > 0)) {
            Nt = DensityFromHeight(problem, p, basis.peak.Im);
        }
    }
    p[kLnNt] = std::log(Nt);
    if (!std::all_of(p.begin(), p.end(), [](double v) { return std::isfinite(v); })) {
        return std::nullopt;
    }
    return p;
}

FittedValue Value(double value, double stderr_, bool fitted) {
    return {value, fitted ? stderr_ : 0, fitted};
}

FitResult Report(const Problem& problem, const Attempt& attempt) {
    const MeasuredCurve& c = problem.Curve();
    const FitOptions& o = problem.Options();
    const Parameters& p = attempt.p;
    const std::vector<int>& free = problem.Free();
    const int n = problem.Points();
    const int k = static_cast<int>(free.size());

    Eigen::MatrixXd J;
    problem.Jacobian(p, J);
    const double sigma2 = attempt.ssr / (n - k);  // in units of the scale squared
    Eigen::MatrixXd covariance = Eigen::MatrixXd::Constant(kParameterCount, kParameterCount, kNaN);
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(J.transpose() * J);
    if (qr.rank() == k) {
        const Eigen::MatrixXd inverse = qr.inverse() * sigma2;
        for (int i = 0; i < k; ++i) {
            for (int j = 0; j < k; ++j) covariance(free[i], free[j]) = inverse(i, j);
        }
    }
    const auto error = [&](int i) { return std::sqrt(covariance(i, i)); };
    const auto isFree = [&](int i) { return std::find(free.begin(), free.end(), i) != free.end(); };

    FitResult r;
    r.converged = attempt.converged && attempt.plausible;
    r.iterations = attempt.iterations;
    r.points = c.T.size();
    const Trap trap = Problem::TrapOf(p);
    r.Et = Value(trap.Et, error(kEt), isFree(kEt));
    r.Vt = Value(trap.Vt, trap.Vt * error(kLnVt), isFree(kLnVt));
    r.Nt = Value(trap.Nt, trap.Nt * error(kLnNt), isFree(kLnNt));
    r.constant = Value(p[kConstant] * problem.Scale(), error(kConstant) * problem.Scale(),
                       isFree(kConstant));
    const double perKelvin = problem.Scale() / problem.Span();
    r.slope = Value(p[kSlope] * perKelvin, error(kSlope) * perKelvin, isFree(kSlope));
    r.corrEtLnVt = covariance(kEt, kLnVt) / (error(kEt) * error(kLnVt));

    if (o.model == FitModel::Standard) {
        const Peak peak = StandardPeak(trap, {problem.To(), o.Beta, o.S});
        r.Tm = peak.Tm;
        r.Im = peak.Im;
    } else {
        const LegacyCurve curve = LegacyCurrentsAt(trap, o.Beta, o.S, o.step, c.T);
        r.Tm = curve.Tpeak;
        r.Im = curve.Ipeak;
    }

    r.fitted = problem.Currents(p);
    double absolute = 0, fittedSum = 0, ssr = 0;
    const double mean = std::accumulate(c.I.begin(), c.I.end(), 0.0) / n;
    double sst = 0;
    for (int i = 0; i < n; ++i) {
        const double residual = c.I[i] - r.fitted[i];
        absolute += std::fabs(residual);
        fittedSum += r.fitted[i];
        ssr += residual * residual;
        sst += (c.I[i] - mean) * (c.I[i] - mean);
    }
    r.fomPercent = 100 * absolute / fittedSum;
    r.r2 = 1 - ssr / sst;
    r.reducedChi2 = ssr / (n - k);
    if (!attempt.converged) {
        r.failure = "the fit did not converge from any of the start values tried";
    } else if (!attempt.plausible) {
        r.failure = "the fit ran off to implausible values from every start value tried";
    }
    return r;
}

}  // namespace

std::size_t FittedParameterCount(const FitOptions& o) {
    const std::size_t background = o.background == Background::Linear     ? 2
                                   : o.background == Background::Constant ? 1
                                                                          : 0;
    return 3 - o.fixedEt.has_value() - o.fixedVt.has_value() - o.fixedNt.has_value() + background;
}

FitResult FitCurve(const MeasuredCurve& curve, const FitOptions& options) {
    const Problem problem(curve, options);
    Attempt best;
    bool found = false;
    const StartBasis basis = MeasureStartBasis(problem);
    for (std::size_t i = 0; i < std::size(kEnergyFactors); ++i) {
        const std::optional<Parameters> start = StartValue(problem, basis, i);
        if (!start) continue;
        const Attempt attempt = Minimise(problem, *start);
        const bool good = attempt.converged && attempt.plausible;
        const bool bestGood = best.converged && best.plausible;
        if ((good && !bestGood) || (good == bestGood && attempt.ssr < best.ssr) || !found) {
            best = attempt;
            found = true;
        }
        if (good) break;
    }
    if (!found) {
        FitResult failed;
        failed.points = curve.T.size();
        failed.failure = "no start values could be found: the curve has no peak to start from";
        return failed;
    }
    return Report(problem, best);
}

MeasuredCurve WithinRange(const MeasuredCurve& curve, double low, double high) {
    MeasuredCurve within;
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        if (curve.T[i] >= low && curve.T[i] <= high) {
            within.T.push_back(curve.T[i]);
            within.I.push_back(curve.I[i]);
        }
    }
    return within;
}

}  // namespace tsc::analysis
