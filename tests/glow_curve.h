#pragma once

#include <vector>

// Glow curves and TSC curves of several peaks written down independently of
// the program: each peak's integral of exp(-E/kT) summed interval by
// interval with a 30-point Gauss-Legendre rule in long double, and each order
// in its own analytic form (the exponential at first order, Garlick and
// Gibson's square at second, May and Partridge's power otherwise).
struct GlowPeak {
    double Et;      // eV
    double Tm;      // K: the frequency is the one that puts a first-order peak there
    double height;  // its current at Tm
    double b = 1;
};

struct GlowCurve {
    std::vector<double> T;
    std::vector<double> I;
    std::vector<std::vector<double>> peaks;  // each peak's current
    std::vector<double> frequency;           // each peak's s, 1/s
    std::vector<double> charge;              // each peak's integral of I dt
};

// The frequency that puts a first-order peak of energy Et at Tm (K/s).
double FirstOrderFrequency(double Et, double Tm, double betaPerSecond);
// Where a first-order peak of (Et, s) lies at this rate (K/s): the above
// solved for Tm by bisection over 10 to 2000 K.
double FirstOrderTop(double Et, double s, double betaPerSecond);

// The peaks on T = from, from + step, ... up to `to`, plus background(T).
GlowCurve MakeGlowCurve(const std::vector<GlowPeak>& peaks, double betaPerSecond, double from,
                        double to, double step, double (*background)(double) = nullptr);

// The same with Gaussian noise of `share` of the largest value, or with
// Poisson counts, from a fixed seed.
void AddNoise(GlowCurve& curve, double share, unsigned seed);
void AsCounts(GlowCurve& curve, unsigned seed);
