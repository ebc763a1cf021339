#pragma once

#include <span>
#include <vector>

// Where a measured curve has its peaks: every stretch where the smoothed
// curve bends down (negative curvature) holds one, whether it shows as a
// maximum or only as a shoulder on a larger peak.
namespace tsc::analysis {

struct PeakCandidate {
    double Tm = 0;            // K: the maximum, or for a shoulder where it bends most
    double height = 0;        // the smoothed curve there
    double curvature = 0;     // its second derivative there (negative)
    double significance = 0;  // how many standard errors of the noise the bend is
    bool shoulder = false;
};

struct PeakSearch {
    std::vector<PeakCandidate> candidates;  // by ascending Tm
    double halfWidth = 0;                   // K, of the smoothing used
    double noise = 0;                       // of one point
};

// The candidates that stand out of the noise, from a curve that does not
// decrease in T. Large curves are looked at through at most a few thousand
// bins.
PeakSearch SearchPeaks(std::span<const double> T, std::span<const double> y);

}  // namespace tsc::analysis
