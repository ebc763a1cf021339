#include "method_refusal.h"

namespace tsc::analysis {

std::string DescribeRefusal(const MethodRefusal& refusal) {
    const std::string counts =
        std::to_string(refusal.found) + " (needs " + std::to_string(refusal.needed) + ")";
    switch (refusal.reason) {
        case RefusalReason::NoPeak:
            return "no peak: the largest current is not positive or lies at an end of the data";
        case RefusalReason::TooFewPointsInPeakTop:
            return "too few points above 80 % of the maximum for the local peak fit "
                   "(points at one temperature count once): " +
                   counts;
        case RefusalReason::NoHalfMaximumBelow:
            return "the current does not fall to half its peak value before the data start";
        case RefusalReason::NoHalfMaximumAbove:
            return "the current does not fall to half its peak value before the data end";
        case RefusalReason::TooFewPointsInRiseWindow:
            return "too few points in the initial-rise window (points at one temperature count "
                   "once): " +
                   counts;
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
        case RefusalReason::InvalidCurve:
            return "the curve is not two columns of equal length of finite numbers with "
                   "temperatures above 0 K in increasing order";
        case RefusalReason::InvalidHeatingRate:
            return "the heating rate is not a finite number above 0 K/min";
        case RefusalReason::InvalidRiseWindow:
            return "the initial-rise window is not two fractions of the peak with 0 < low < high";
        case RefusalReason::PeakTopNotSampled:
            return "the local peak fit rises far above the largest sample: the top of the peak "
                   "lies in a gap between samples";
        case RefusalReason::HalfIntensityNotAroundPeak:
            return "the half-intensity temperatures do not lie on either side of the peak";
        case RefusalReason::OutOfRange:
            return "a result is too large or too small to represent";
        case RefusalReason::TooFewPointsForWholeCurve:
            return "too few points on the peak for the whole-curve method (points at one "
                   "temperature count once): " +
                   counts;
        case RefusalReason::NoChargeTail:
            return "after the peak the current falls only to " + std::to_string(refusal.found) +
                   " % of its peak value (needs below " + std::to_string(refusal.needed) +
                   " %), so the charge still to be released is not known";
        case RefusalReason::NonPositiveCharge:
            return "the current after the peak integrates to no positive charge";
        case RefusalReason::FrequencyErrorTooLarge:
            return "the frequency is known only to within a factor of e or worse";
        case RefusalReason::RatesAreEqual:
            return "the heating rates are equal: the method needs curves at different rates";
    }
    return "the method cannot be applied";
}

}  // namespace tsc::analysis
