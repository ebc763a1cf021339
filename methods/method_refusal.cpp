#include "method_refusal.h"

namespace tsc::analysis {

std::string DescribeRefusal(const MethodRefusal& refusal) {
    const std::string counts =
        std::to_string(refusal.found) + " (needs " + std::to_string(refusal.needed) + ")";
    switch (refusal.reason) {
        case RefusalReason::NoPeak:
            return "no peak: the largest current is not positive or lies at an end of the data";
        case RefusalReason::TooFewPointsInPeakTop:
            return "too few points above 80 % of the maximum for the local peak fit: " + counts;
        case RefusalReason::NoHalfMaximumBelow:
            return "the current does not fall to half its peak value before the data start";
        case RefusalReason::NoHalfMaximumAbove:
            return "the current does not fall to half its peak value before the data end";
        case RefusalReason::TooFewPointsInRiseWindow:
            return "too few points in the initial-rise window: " + counts;
        case RefusalReason::NonPositiveEnergy:
            return "the method gives an energy that is not positive";
        case RefusalReason::FrequencyOverflow:
            return "the energy's escape frequency is too large to represent";
        case RefusalReason::TooFewCurves:
            return "the heating-rate method needs two or more curves: " + counts;
        case RefusalReason::CurveWithoutPeak:
            return "a curve of the heating-rate series has no peak";
        case RefusalReason::PeaksDoNotMove:
            return "the peak temperature does not change with the heating rate";
        case RefusalReason::NoDegreesOfFreedom:
            return "no standard error from a fit through exactly two curves";
        case RefusalReason::RatesAreEqual:
            return "the heating rates are equal: the method needs curves at different rates";
    }
    return "the method cannot be applied";
}

}  // namespace tsc::analysis
