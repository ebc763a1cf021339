#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The whole command-line program: `tsccurve [--results|--peak] [--model M]
// Et Vt Nt To Tend Beta S a`, `tsccurve fit FILE ...` and `tsccurve methods
// FILE ...`, given the arguments after the program's name. Returns the
// process exit code: 0 on success, 1 when an output could not be written,
// 2 for a usage error or refused input (the message goes to `err`), 3 for a
// fit that did not converge.
int RunTsccurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
