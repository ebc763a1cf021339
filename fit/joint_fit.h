#pragma once

#include <Eigen/Dense>
#include <span>
#include <string>
#include <vector>

#include "deconvolution.h"
#include "spectrum_fit.h"

// One fit of several curves of one sample measured at different heating
// rates: each trap level has one Et, one νt and one b for all of them, and
// each curve its own charges and background. One curve cannot tell a deeper
// trap from a faster one (Et and ln νt correlate at 0.999 and more); the
// shift of the peaks with the heating rate can.
namespace tsc::analysis {

struct JointCurveData {
    std::span<const double> T, y;
    double betaPerSecond = 0;
};

struct JointRequest {
    // Every option of the one-curve fit; its heating rate is each curve's.
    DeconvolutionRequest curve;
    // The charges too, for a sample filled the same way before each run.
    bool sharedCharge = false;
};

struct JointFit {
    bool converged = false;
    bool cancelled = false;
    // The curves cannot be fitted together (their peaks move the wrong way
    // with the heating rate, say): the input is refused, not the fit failed.
    std::string refusal;
    std::string failure;  // why not converged, for a person
    int iterations = 0;
    int evaluations = 0;
    // The shared values by ascending Tm on the first curve: Et, Vt, b with
    // their errors and the Et-ln Vt correlation; the charge where shared.
    std::vector<FittedPeak> peaks;
    // Each curve's own: its peaks (charge, Tm, Im, current; Et, Vt and b
    // the shared ones), background, statistics and fitted sum, in the order
    // given.
    std::vector<SpectrumFit> curves;
    // Each curve's measured values at its fitted temperatures (in bins for
    // a curve of very many points).
    std::vector<std::vector<double>> measured;
    FitStatistics statistics;  // over every curve
    std::vector<std::string> parameterNames;
    Eigen::MatrixXd correlation;
    // Each curve's fit on its own, which the start values came from.
    std::vector<SpectrumFit> singles;
    std::vector<std::string> notes;
};

JointFit FitJointly(std::span<const JointCurveData> curves, const JointRequest& request);

}  // namespace tsc::analysis
