#include "spectrum_model.h"

namespace tsc::analysis {

PeakComponent DefaultPeak(Kinetics kinetics) {
    PeakComponent peak;
    peak.kinetics = kinetics;
    // Wide enough for every trap a TSC or glow curve shows, from shallow
    // levels below 20 K to the deepest above 700 K; a fit that ends on one
    // of these has run away.
    peak.Et = {0.5, false, 0.01, 5};
    peak.Vt = {1e10, false, 1e-5, 1e40};
    peak.charge = {1, false, 0, kUnbounded};
    // May and Partridge's orders run from 1 to 3; a fit may cross b = 1 on
    // its way, and a result below 1 is marked as outside that range.
    peak.b = {1, kinetics != Kinetics::General, 1, 3};
    if (kinetics == Kinetics::Second) peak.b = {2, true, 1, 3};
    if (kinetics == Kinetics::General) peak.b.value = 1.5;
    return peak;
}

Parameter& ParameterOf(PeakComponent& peak, PeakParameter name) {
    switch (name) {
        case PeakParameter::Et:
            return peak.Et;
        case PeakParameter::Vt:
            return peak.Vt;
        case PeakParameter::B:
            return peak.b;
        case PeakParameter::Charge:
            break;
    }
    return peak.charge;
}

const char* ParameterName(PeakParameter name) {
    switch (name) {
        case PeakParameter::Et:
            return "Et";
        case PeakParameter::Vt:
            return "Vt";
        case PeakParameter::Charge:
            return "Nt";
        case PeakParameter::B:
            return "b";
    }
    return "";
}

}  // namespace tsc::analysis
