#pragma once

#include "fit_description.h"
#include "measured_curve.h"
#include "picture.h"
#include "spectrum_fit.h"

// The picture of a fit: the measured points, each peak in its own colour,
// the background and the fitted sum above, the residuals beneath, and the
// fitted values in the upper chart's corner. Currents are shown in the unit
// (aA to mA) that puts the largest measured one between 1 and 1000; other
// intensities as they are.
tsc::picture::Picture FitPicture(const tsc::analysis::MeasuredCurve& curve,
                                 const tsc::analysis::SpectrumFit& fit,
                                 const tsc::analysis::FitDescription& description);
