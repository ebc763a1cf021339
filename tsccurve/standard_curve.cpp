// The curve modes with --model standard: the textbook first-order model on
// the window's grid, written in the same forms as the window's own model.
#include "number_text.h"
#include "standard_model.h"
#include "subcommands.h"

namespace {

using namespace tsc::analysis;

Trap TrapOf(const CalcState& entered) { return {entered.Et, entered.Vt, entered.Nt}; }
Heating HeatingOf(const CalcState& entered) { return {entered.To, entered.Beta, entered.S}; }

std::vector<CurvePoint> Curve(const CalcState& entered) {
    return StandardCurve(TrapOf(entered), HeatingOf(entered), entered.Tend, entered.a);
}

}  // namespace

std::string StandardCsvCurve(const CalcState& entered) {
    std::string text = "T_K,Itsc_A\n";
    for (const CurvePoint& p : Curve(entered)) {
        text += FloatToStr(p.T) + "," + FloatToStr(p.I) + "\n";
    }
    return text;
}

std::string StandardResultsFileText(const CalcState& entered) {
    std::string text;
    for (const CurvePoint& p : Curve(entered)) {
        text += FloatToStr(p.T) + "\r\n" + FloatToStr(p.I) + "\r\n\r\n";
    }
    return text;
}

std::string StandardPeakLines(const CalcState& entered) {
    // The grid peak as the window finds it (the first of equal currents),
    // then the continuous one.
    double Tpeak = 0, Ipeak = 0;
    bool any = false;
    for (const CurvePoint& p : Curve(entered)) {
        any = true;
        if (p.I > Ipeak) Ipeak = p.I, Tpeak = p.T;
    }
    const Peak peak = StandardPeak(TrapOf(entered), HeatingOf(entered));
    const std::string grid = any ? FloatToStr(Tpeak) + " " + FloatToStr(Ipeak) : "";
    return grid + "\n" + FloatToStr(peak.Tm) + " " + FloatToStr(peak.Im) + "\n";
}
