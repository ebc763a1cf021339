#pragma once

#include <vector>

// A first-order (Randall–Wilkins) peak written down independently of the
// program: ln I = −E/kT − (ν/β)·(F(T) − F(T0)) with F(T) = T·E₂(E/kT) from
// Boost's exponential integral, and its exact Tm, T1 and T2 found by bracketed
// root searches on that expression.
struct FirstOrderPeak {
    double Et;           // eV
    double Vt;           // Hz
    double betaKPerMin;  // K/min

    double LogCurrent(double T, double T0) const;
    double ExactTm() const;
    // The half-intensity temperatures below and above ExactTm().
    double ExactT1(double T0) const;
    double ExactT2(double T0) const;
};

struct SampledCurve {
    std::vector<double> T;
    std::vector<double> I;
};

// Samples from Tm − below to Tm + above every `step` kelvin, the current in
// ampere with a peak of about 1 nA; with `relativeNoise` > 0 each sample gets
// Gaussian noise of that fraction of its value, drawn from `seed`.
SampledCurve SampleCurve(const FirstOrderPeak& peak, double below, double above, double step,
                         double relativeNoise = 0, unsigned seed = 1);
