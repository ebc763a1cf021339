#pragma once

#include <limits>
#include <string>
#include <vector>

// What a fit is asked to describe a measured curve with: a sum of peaks, one
// per trap level, and a background. Every value the fit can move is a named
// parameter with its value (the start), whether it is fixed, and its bounds.
namespace tsc::analysis {

inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

struct Parameter {
    double value = 0;
    bool fixed = false;
    double lower = -kUnbounded;
    double upper = kUnbounded;
};

// First order (b = 1), second order (b = 2), general order (b free in its
// bounds), or the window's own calculation of a first-order level.
enum class Kinetics { First, Second, General, Window };

// One trap level. Its current follows the general-order form of
// peak_kinetics.h; the window's kinetics computes it with the window's model.
struct PeakComponent {
    Kinetics kinetics = Kinetics::First;
    Parameter Et;      // activation energy, eV
    Parameter Vt;      // (effective) escape frequency, Hz
    Parameter charge;  // released charge, integral I dt: A s, or counts
    Parameter b;       // kinetic order
    // Keeps the peak's top where its start values put it, for a first fit
    // of heights and energies around tops the user has placed.
    bool holdTop = false;
};

// The bounds a peak's parameters get unless told otherwise.
PeakComponent DefaultPeak(Kinetics kinetics);

// none; constant; constant + slope (T - To); constant + amplitude
// exp((T - Tend)/scale), To and Tend the ends of the fitted curve. The
// exponential is incandescence, or a leakage current that rises with T.
enum class BackgroundKind { None, Constant, Linear, Exponential };

struct BackgroundComponent {
    BackgroundKind kind = BackgroundKind::None;
    Parameter constant;   // A
    Parameter slope;      // A/K
    Parameter amplitude;  // A, at Tend
    Parameter scale;      // K
};

struct SpectrumModel {
    std::vector<PeakComponent> peaks;
    BackgroundComponent background;
};

// The parameters' names as users write them: "Et", "Vt", "Nt" (the charge,
// given per area), "b".
enum class PeakParameter { Et, Vt, Charge, B };
const char* ParameterName(PeakParameter name);
Parameter& ParameterOf(PeakComponent& peak, PeakParameter name);

}  // namespace tsc::analysis
