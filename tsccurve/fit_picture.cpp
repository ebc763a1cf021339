// The picture of a fit, where tsccurve is built with the window program's
// chart library; without it, --plot is refused.
#include "fit_picture.h"

#if defined(TSC_FIT_PLOT)
#include "fit_plot.h"
#endif

std::string PlotFit(const tsc::analysis::MeasuredCurve& curve, const tsc::analysis::FitResult& fit,
                    const std::vector<std::string>& caption, const std::string& fileName) {
#if defined(TSC_FIT_PLOT)
    return WriteFitPlot(curve, fit, caption, fileName);
#else
    (void)curve, (void)fit, (void)caption;
    return fileName + ": no picture: tsccurve is built without the chart library";
#endif
}

bool PlotAvailable() {
#if defined(TSC_FIT_PLOT)
    return true;
#else
    return false;
#endif
}
