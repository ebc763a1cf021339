#pragma once

#include <optional>
#include <string>

#include "picture.h"

// The pictures are drawn by a program of their own, tsccurve-plot, the one
// part that uses Qt, so that tsccurve starts without loading any Qt
// library. It is built with the window program.

// Whether this build has the picture program.
bool PlotAvailable();

// The refusal of --plot where it has not.
extern const char* const kPlotUnavailable;

// Hands the picture to tsccurve-plot, found beside this program or in the
// installed libexec folder, to be written as a PNG file at `path`. Returns
// why it was not written, or nothing.
std::optional<std::string> WritePicture(const tsc::picture::Picture& picture,
                                        const std::string& path);
