#include "chen_energy.h"

#include "physical_constants.h"

namespace tsc::analysis {
namespace {

struct ChenConstants {
    double c;
    double b;
};

ChenConstants ConstantsFor(Width width, double muG) {
    const double offset = muG - 0.42;
    switch (width) {
        case Width::Tau:
            return {1.51 + 3.0 * offset, 1.58 + 4.2 * offset};
        case Width::Delta:
            return {0.976 + 7.3 * offset, 0};
        case Width::Omega:
            break;
    }
    return {2.52 + 10.2 * offset, 1};
}

}  // namespace

double ChenWidthEnergy(Width width, double alpha, double muG, double Tm) {
    const ChenConstants constants = ConstantsFor(width, muG);
    const double k = kBoltzmannEv;
    return constants.c * k * Tm * Tm / alpha - constants.b * 2 * k * Tm;
}

}  // namespace tsc::analysis
