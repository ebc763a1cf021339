#pragma once

#include <array>
#include <cstddef>
#include <functional>

// The whole state of the TSC calculation. It lives in the main window from
// start-up to exit, so the running integral Sum and the last peak temperature
// carry over from one calculation to the next. Every field starts at zero.
struct CalcState {
    double Et = 0;     // activation energy: eV as entered, J after conversion
    double Vt = 0;     // escape frequency, Hz
    double Nt = 0;     // trap density: cm^-2 as entered, m^-2 after conversion
    double Beta = 0;   // heating rate, K/min (used unconverted)
    double To = 0;     // start temperature, K
    double Tend = 0;   // end temperature, K
    double T = 0;      // temperature of the current step, K
    double S = 0;      // cross-section: mm^2 as entered, m^2 after conversion
    double a = 0;      // integration interval and temperature step, K
    double Tx = 0;     // inner integration variable, K
    double Half = 0;   // the constant 0.5
    double q = 0;      // signed elementary charge, C
    double k = 0;      // Boltzmann constant, J/K
    double Sum = 0;    // running integral; only ResetIntegral zeroes it
    double Itsc = 0;   // current at the step temperature, A
    double Pref = 0;   // current prefactor -q*S*Nt*Vt, A
    double Ipeak = 0;  // largest current of the calculation so far, A
    double Tpeak = 0;  // temperature of Ipeak, K; never reset
};

// The eight parameters, in the order the user enters them, which is also the
// order they are read and stored before a calculation.
enum class Parameter : std::size_t { Et, Vt, Nt, To, Tend, Beta, S, a };

struct ParameterInfo {
    double CalcState::*member;
    const char* symbol;  // ASCII, as the command line names it
    const char* unit;    // as entered
};

// The one table of the parameters, indexed by Parameter. The windows add
// their own field and label for each, in the same order.
inline constexpr std::array<ParameterInfo, 8> kParameters = {{
    {&CalcState::Et, "Et", "eV"},
    {&CalcState::Vt, "Vt", "Hz"},
    {&CalcState::Nt, "Nt", "cm^-2"},
    {&CalcState::To, "To", "K"},
    {&CalcState::Tend, "Tend", "K"},
    {&CalcState::Beta, "Beta", "K/min"},
    {&CalcState::S, "S", "mm^2"},
    {&CalcState::a, "a", "K"},
}};

constexpr const ParameterInfo& InfoOf(Parameter parameter) {
    return kParameters[static_cast<std::size_t>(parameter)];
}

// What the caller sees of one temperature step, after the step's peak update.
struct ResultRow {
    double T;
    double Itsc;
    double Tpeak;
    double Ipeak;
};

// Called once per step, synchronously, before the next step is computed.
using RowSink = std::function<void(const ResultRow&)>;
