#pragma once

#include <string>
#include <string_view>
#include <utility>

// What the subcommands' option values say, read from their texts. Numbers
// are read as the window reads its fields (blanks around them allowed).
// Each throws Exception with the reason, worded to follow the option's name.

// A finite number greater than 0.
double ReadPositive(std::string_view text);

// "LOW:HIGH", two finite numbers with LOW < HIGH.
std::pair<double, double> ReadSpan(std::string_view text);

// A picture's file name, which must end in .png (the only format written).
std::string ReadPngName(std::string_view text);
