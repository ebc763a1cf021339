#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A picture of one or more charts, described in plain terms so that the
// program deciding what to show needs no chart library; a renderer draws it.
// Sizes are in pixels.
namespace tsc::picture {

struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Colour&) const = default;
};

enum class SeriesKind { Points, Line };
enum class LineStyle { Solid, Dashed, DashDotted };

struct Series {
    SeriesKind kind = SeriesKind::Line;
    std::string name{};                  // in the legend; empty: not named there
    std::optional<Colour> colour{};      // none: the chart's own next colour
    double size = 2;                     // a line's width, or the points' diameter
    LineStyle style = LineStyle::Solid;  // of a line
    // Points whose x or y is not finite, or not positive on a logarithmic
    // axis, are left out.
    std::vector<double> x{}, y{};
    bool operator==(const Series&) const = default;
};

struct Axis {
    std::string title{};
    bool logarithmic = false;
    std::optional<double> min{}, max{};  // none: from the series' data
    bool rounded = false;                // widened so that the ticks fall on round values
    bool operator==(const Axis&) const = default;
};

struct Chart {
    std::string title{};
    Axis x{}, y{};
    std::vector<Series> series{};
    bool legend = true;
    // Lines of text in a box in the plot area's upper right corner.
    std::vector<std::string> caption{};
    int share = 1;  // of the picture's height (stacked) or width (side by side)
    bool operator==(const Chart&) const = default;
};

enum class Arrangement { Stacked, SideBySide };

struct Picture {
    int width = 1000, height = 800;
    Arrangement arrangement = Arrangement::Stacked;
    int margin = 0;   // around the charts
    int spacing = 0;  // between them
    std::vector<Chart> charts{};
    bool operator==(const Picture&) const = default;
};

}  // namespace tsc::picture
