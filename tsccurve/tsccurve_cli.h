#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The calculation from the command line: `tsccurve [--results|--peak] Et Vt
// Nt To Tend Beta S a`. The eight arguments are read exactly like the main
// window's parameter fields. Returns the process exit code: 0 on success, 1
// when standard output could not be written, 2 for a usage error, a text
// that is not a number or a refused parameter (the message goes to `err`,
// nothing to `out`).
int RunTsccurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
