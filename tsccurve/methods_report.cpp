#include "methods_report.h"

#include <cstdio>

#include "json_object.h"

using namespace tsc::analysis;

namespace {

constexpr const char* kWidthNames[] = {"tau", "delta", "omega"};

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string OrderName(KineticOrder order) {
    switch (order) {
        case KineticOrder::First:
            return "first order";
        case KineticOrder::Second:
            return "second order";
        case KineticOrder::General:
            break;
    }
    return "general order, between first and second";
}

// "label  text", or "label  not applicable: reason".
template <class T, class Show>
std::string Line(const std::string& label, const Outcome<T>& outcome, Show show) {
    std::string line = label;
    line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
    if (const MethodRefusal* refusal = Refused(outcome))
        return line + "not applicable: " + DescribeRefusal(*refusal) + "\n";
    return line + show(std::get<T>(outcome)) + "\n";
}

std::string Kelvin(double value) { return Format("%.2f K", value); }

std::string WithError(const ValueWithError& value, const char* format);

std::string CurveText(const EvaluatedCurve& curve) {
    const CurveMethods& m = curve.methods;
    std::string text = curve.request.file + " at " + HeatingRateText(curve.request.beta) + "\n";
    text += Line("Peak", m.peak, [](const PeakLocation& peak) {
        return "Tm = " + Kelvin(peak.Tm) + "   Im = " + Format("%.4e A", peak.Im) +
               "   (fit through " + std::to_string(peak.pointsUsed) + " points)";
    });
    text += Line("T1", m.T1, Kelvin);
    text += Line("T2", m.T2, Kelvin);
    text += Line("tau", m.tau, Kelvin);
    text += Line("delta", m.delta, Kelvin);
    text += Line("omega", m.omega, Kelvin);
    text += Line("mu_g", m.widths, [](const PeakWidths& widths) {
        return Format("%.3f", widths.muG) + "   (" + OrderName(widths.order) + ")";
    });
    text += "\n  Method        Et (eV)               Vt (Hz)\n";
    const auto estimate = [](const TrapEstimate& e) {
        return Format("%-22.4f", e.Et) + Format("%.3e", e.Vt);
    };
    for (std::size_t i = 0; i < kWidths.size(); ++i)
        text += Line(std::string("  Chen ") + kWidthNames[i], m.chen[i], estimate);
    text += Line("  Initial rise", m.initialRise, [&](const InitialRise& rise) {
        return Format("%.4f", rise.Et) + Format(" ± %.2g", rise.stderrEt) + "   (" +
               std::to_string(rise.points) + " points between " +
               Format("%g", 100 * curve.riseWindow.low) + " and " +
               Format("%g %% of Im)", 100 * curve.riseWindow.high);
    });
    text += Line("  Whole curve", m.wholeCurve, [](const WholeCurve& w) {
        std::string line = WithError(w.Et, "%.4f");
        line.resize(std::max<std::size_t>(line.size() + 1, 22), ' ');
        return line + WithError(w.Vt, "%.3e") + "   (" + std::to_string(w.points) +
               " points from " + Kelvin(w.firstT) + " to " + Kelvin(w.lastT) +
               ", R² = " + Format("%.6f", w.r2) + ", bend " + Format("%.3f", w.curvature) + " ± " +
               Format("%.2g", w.curvatureError) + ")";
    });
    return text;
}

std::string WithError(const ValueWithError& value, const char* format) {
    std::string text = Format(format, value.value);
    if (const double* error = Applied(value.standardError))
        return text + " ± " + Format("%.2g", *error);
    return text + " (" + DescribeRefusal(*Refused(value.standardError)) + ")";
}

std::string HeatingRateText(const Outcome<HeatingRateEstimate>& outcome) {
    return Line("Heating rate", outcome, [](const HeatingRateEstimate& e) {
        return "over " + std::to_string(e.curves) + " curves: Et = " + WithError(e.Et, "%.4f") +
               " eV   Vt = " + WithError(e.Vt, "%.3e") + " Hz   R² = " + Format("%.6f", e.r2);
    });
}

// Adds `key` as the value's JSON, or as null with the reason.
template <class T, class ToJson>
void AddOutcome(JsonObject& object, const char* key, const Outcome<T>& outcome, ToJson toJson) {
    if (const MethodRefusal* refusal = Refused(outcome)) {
        object.AddNull(key, DescribeRefusal(*refusal));
    } else {
        toJson(object, key, std::get<T>(outcome));
    }
}

void AddValue(JsonObject& object, const char* key, double value) { object.AddNumber(key, value); }

Json ValueWithErrorJson(const ValueWithError& value) {
    JsonObject object;
    object.AddNumber("value", value.value);
    AddOutcome(object, "stderr", value.standardError, AddValue);
    return object.Done();
}

Json CurveJson(const EvaluatedCurve& curve) {
    const CurveMethods& m = curve.methods;
    JsonObject object;
    object.Add("file", curve.request.file);
    object.AddNumber("beta_K_per_min", curve.request.beta.kelvinPerMinute);
    AddOutcome(object, "Tm_K", m.peak, [](JsonObject& o, const char* key, const PeakLocation& p) {
        o.AddNumber(key, p.Tm);
    });
    AddOutcome(object, "Im_A", m.peak, [](JsonObject& o, const char* key, const PeakLocation& p) {
        o.AddNumber(key, p.Im);
    });
    AddOutcome(object, "T1_K", m.T1, AddValue);
    AddOutcome(object, "T2_K", m.T2, AddValue);
    AddOutcome(object, "tau_K", m.tau, AddValue);
    AddOutcome(object, "delta_K", m.delta, AddValue);
    AddOutcome(object, "omega_K", m.omega, AddValue);
    AddOutcome(object, "mu_g", m.widths, [](JsonObject& o, const char* key, const PeakWidths& w) {
        o.AddNumber(key, w.muG);
    });
    JsonObject chen;
    for (std::size_t i = 0; i < kWidths.size(); ++i) {
        AddOutcome(chen, kWidthNames[i], m.chen[i],
                   [](JsonObject& o, const char* key, const TrapEstimate& e) {
                       o.Add(key,
                             JsonObject().AddNumber("Et_eV", e.Et).AddNumber("Vt_Hz", e.Vt).Done());
                   });
    }
    object.Add("chen", chen.Done());
    AddOutcome(object, "initial_rise", m.initialRise,
               [](JsonObject& o, const char* key, const InitialRise& rise) {
                   o.Add(key, JsonObject()
                                  .AddNumber("Et_eV", rise.Et)
                                  .AddNumber("stderr", rise.stderrEt)
                                  .Add("points", rise.points)
                                  .Done());
               });
    AddOutcome(object, "whole_curve", m.wholeCurve,
               [](JsonObject& o, const char* key, const WholeCurve& w) {
                   o.Add(key, JsonObject()
                                  .Add("Et_eV", ValueWithErrorJson(w.Et))
                                  .Add("Vt_Hz", ValueWithErrorJson(w.Vt))
                                  .AddNumber("r2", w.r2)
                                  .Add("points", w.points)
                                  .AddNumber("first_T_K", w.firstT)
                                  .AddNumber("last_T_K", w.lastT)
                                  .AddNumber("bend", w.curvature)
                                  .AddNumber("bend_stderr", w.curvatureError)
                                  .Done());
               });
    return object.Done();
}

}  // namespace

std::string MethodsText(const MethodsResults& results) {
    std::string text;
    for (const EvaluatedCurve& curve : results.curves) {
        if (!text.empty()) text += "\n";
        text += CurveText(curve);
    }
    if (results.heatingRate) text += "\n" + HeatingRateText(*results.heatingRate);
    return text;
}

std::string MethodsJson(const MethodsResults& results) {
    Json curves = Json::array();
    for (const EvaluatedCurve& curve : results.curves) curves.push_back(CurveJson(curve));
    JsonObject object;
    object.Add("curves", std::move(curves));
    if (results.heatingRate) {
        AddOutcome(object, "heating_rate", *results.heatingRate,
                   [](JsonObject& o, const char* key, const HeatingRateEstimate& e) {
                       o.Add(key, JsonObject()
                                      .Add("Et_eV", ValueWithErrorJson(e.Et))
                                      .Add("Vt_Hz", ValueWithErrorJson(e.Vt))
                                      .AddNumber("r2", e.r2)
                                      .Done());
                   });
    }
    return JsonText(object.Done()) + "\n";
}
