#pragma once

#include <array>
#include <iosfwd>
#include <string>

// What `tsccurve [--results|--peak] [--model M] Et Vt Nt To Tend Beta S a`
// was asked: the output, the model and the eight parameter texts, read
// later as the window reads its fields.
struct CurveRequest {
    enum class Output { Csv, Results, Peak } output = Output::Csv;
    enum class Model { Legacy, Standard } model = Model::Legacy;
    std::array<std::string, 8> parameters;
};

// Calculates and writes the curve; returns the exit code and reports
// refusals and output failures itself.
int RunCurve(const CurveRequest& request, std::ostream& out, std::ostream& err);
