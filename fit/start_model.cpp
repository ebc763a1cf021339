#include "start_model.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>

#include "peak_kinetics.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Et/kTm of nearly every trap measured: from about 12 for the fastest
// frequencies at the slowest heating to 90 for the slowest ones.
constexpr double kLeastX = 12, kMostX = 90, kTypicalX = 35;

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// x = Et/kTm for a first-order peak at Tm with frequency s: x + ln x = ln(s Tm/beta).
double XForFrequency(double s, double Tm, double betaPerSecond) {
    const double level = std::log(s * Tm / betaPerSecond);
    double x = std::max(level, 1.0);
    for (int i = 0; i < 60; ++i) x = std::max(level - std::log(x), 1e-3);
    return x;
}

}  // namespace

double EnergyFromCurvature(double Tm, double height, double curvature) {
    const double a = -curvature / height;
    if (!(a > 0 && Tm > 0) || !std::isfinite(a)) return kNaN;
    const double w = -1 / Tm + std::sqrt(1 / (Tm * Tm) + a);  // Et/(k Tm^2)
    return kBoltzmannEv * Tm * Tm * w;
}

SpectrumModel StartModel(const FitData& data, std::span<const PeakStart> peaks, Kinetics kinetics,
                         BackgroundKind background, std::span<const FixedValue> fixed, double b,
                         double energyFactor) {
    SpectrumModel model;
    const std::size_t n = data.T.size();
    // The window's model reads beta in K/min where the formula wants K/s.
    const double beta = data.betaPerSecond * (kinetics == Kinetics::Window ? 60 : 1);
    const LinearHeating heating{data.T.front(), beta};

    std::vector<double> x(peaks.size(), kNaN), known;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const PeakStart& p = peaks[k];
        if (p.Et > 0) {
            x[k] = p.Et / (kBoltzmannEv * p.Tm);
        } else if (!p.shoulder) {
            x[k] = EnergyFromCurvature(p.Tm, p.height, p.curvature) / (kBoltzmannEv * p.Tm);
        }
        if (std::isfinite(x[k])) x[k] = std::clamp(x[k], kLeastX, kMostX);
        if (std::isfinite(x[k]) && !(p.Et > 0)) known.push_back(x[k]);
    }
    const double typical = known.empty() ? kTypicalX : Median(known);

    // Each peak at unit height, then the heights that fit the curve best.
    std::vector<std::vector<double>> shapes;
    std::vector<double> unitLnQ;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        PeakComponent c = DefaultPeak(kinetics);
        for (const FixedValue& f : fixed) {
            if (f.peak != static_cast<int>(k)) continue;
            Parameter& target = ParameterOf(c, f.name);
            target.value = f.value;
            target.fixed = true;
        }
        if (!c.b.fixed) c.b.value = b;
        const double Tm = std::max(peaks[k].Tm, heating.To + 1e-3 * (data.T.back() - heating.To));
        double Et = (std::isfinite(x[k]) ? x[k] : typical) * kBoltzmannEv * Tm * energyFactor;
        if (c.Et.fixed) Et = c.Et.value;
        if (c.Vt.fixed && !c.Et.fixed) Et = XForFrequency(c.Vt.value, Tm, beta) * kBoltzmannEv * Tm;
        c.Et.value = std::clamp(Et, c.Et.lower, c.Et.upper);
        PeakLevel level;
        const LevelOfPosition made = LevelAtPosition({Tm, 0, c.Et.value, c.b.value}, heating);
        if (made.valid) {
            level = made.level;
        } else {
            level = {c.Et.value, std::log(c.Vt.value), 0, c.b.value};
        }
        if (c.Vt.fixed) {
            level.lnS = std::log(c.Vt.value);
            level.lnQ = 0;
            level.lnQ = -EvaluatePeakAt(level, heating, Tm).lnI;
        }
        c.Vt.value = std::exp(level.lnS);
        std::vector<double> shape(n);
        EvaluatePeak(level, heating, data.T, {shape, {}, {}, {}});
        for (double& v : shape) v = std::exp(v);
        shapes.push_back(std::move(shape));
        unitLnQ.push_back(level.lnQ);
        model.peaks.push_back(c);
    }

    const double To = data.T.front(), Tend = data.T.back();
    const double span = std::max(Tend - To, 1e-9);
    const double decay = span / 10;
    std::vector<int> columns;  // of the background: 0 constant, 1 slope, 2 exponential
    if (background != BackgroundKind::None) columns.push_back(0);
    if (background == BackgroundKind::Linear) columns.push_back(1);
    if (background == BackgroundKind::Exponential) columns.push_back(2);
    const Eigen::Index m = static_cast<Eigen::Index>(shapes.size() + columns.size());
    Eigen::MatrixXd A(n, m);
    Eigen::VectorXd y(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double w = data.weight[i];
        for (std::size_t k = 0; k < shapes.size(); ++k) A(i, k) = w * shapes[k][i];
        for (std::size_t j = 0; j < columns.size(); ++j) {
            const double T = data.T[i];
            const double v = columns[j] == 0   ? 1
                             : columns[j] == 1 ? (T - To) / span
                                               : std::exp((T - Tend) / decay);
            A(i, shapes.size() + j) = w * v;
        }
        y[i] = w * data.y[i];
    }
    Eigen::VectorXd heights = Eigen::VectorXd::Zero(m);
    if (m > 0 && static_cast<Eigen::Index>(n) >= m) heights = A.colPivHouseholderQr().solve(y);
    double top = 0;
    for (const double v : data.y) top = std::max(top, v);
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        PeakComponent& c = model.peaks[k];
        double Im = heights[k];
        const double floor = std::max(peaks[k].height * 0.3, 1e-3 * top);
        if (!(Im > floor / 10) || !std::isfinite(Im)) Im = floor > 0 ? floor : 1;
        if (!c.charge.fixed) c.charge.value = std::exp(unitLnQ[k] + std::log(Im));
    }
    model.background.kind = background;
    model.background.scale = {decay, false, 0, kUnbounded};
    model.background.amplitude = {0, false, 0, kUnbounded};
    for (std::size_t j = 0; j < columns.size(); ++j) {
        const double v = heights[shapes.size() + j];
        const double value = std::isfinite(v) ? v : 0;
        if (columns[j] == 0) model.background.constant.value = value;
        if (columns[j] == 1) model.background.slope.value = value / span;
        if (columns[j] == 2) model.background.amplitude.value = std::max(value, 0.0);
    }
    if (background == BackgroundKind::Exponential && !(model.background.amplitude.value > 0)) {
        model.background.amplitude.value = 1e-3 * top;
    }
    return model;
}

}  // namespace tsc::analysis
