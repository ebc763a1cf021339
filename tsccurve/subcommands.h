#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitOutputFailed = 1;
inline constexpr int kExitUsageError = 2;

// `tsccurve methods ...`, the arguments after the subcommand's name.
int RunMethods(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
