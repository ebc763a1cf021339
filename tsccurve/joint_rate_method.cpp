#include "joint_rate_method.h"

#include "heating_rate.h"

using namespace tsc::analysis;

std::vector<RateMethodEnergy> RateMethodBeside(const JointFit& fit,
                                               std::span<const double> kelvinPerMinute) {
    std::vector<RateMethodEnergy> energies;
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        std::vector<PeakAtRate> tops;
        for (std::size_t c = 0; c < fit.singles.size() && c < kelvinPerMinute.size(); ++c) {
            const SpectrumFit& single = fit.singles[c];
            if (single.converged && single.peaks.size() == fit.peaks.size() &&
                single.peaks[k].verdict != PeakVerdict::RanAway) {
                tops.push_back({kelvinPerMinute[c], single.peaks[k].Tm.value});
            }
        }
        RateMethodEnergy energy;
        if (tops.size() < 2) {
            energy.refusal = "fewer than two curves' own fits found this peak";
        } else {
            const Outcome<HeatingRateEstimate> method = HeatingRateMethod(tops);
            if (const HeatingRateEstimate* e = Applied(method)) {
                energy.Et = e->Et.value;
                if (const double* error = Applied(e->Et.standardError)) energy.stderr_ = *error;
            } else {
                energy.refusal = DescribeRefusal(*Refused(method));
            }
        }
        energies.push_back(energy);
    }
    return energies;
}
