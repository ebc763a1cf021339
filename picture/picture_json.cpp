#include "picture_json.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>

namespace tsc::picture {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kMostPixels = 10000;
constexpr std::size_t kMostCharts = 100;
constexpr std::size_t kMostSeries = 1000;

const char* KindName(SeriesKind kind) { return kind == SeriesKind::Points ? "points" : "line"; }

const char* StyleName(LineStyle style) {
    switch (style) {
        case LineStyle::Dashed:
            return "dashed";
        case LineStyle::DashDotted:
            return "dash-dotted";
        case LineStyle::Solid:
            break;
    }
    return "solid";
}

std::string ColourText(Colour colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

// NaN and the infinities have no JSON form; they are null.
Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json Numbers(const std::vector<double>& values) {
    Json array = Json::array();
    for (const double value : values) array.push_back(Number(value));
    return array;
}

Json AxisJson(const Axis& axis) {
    Json json = {{"title", axis.title}, {"logarithmic", axis.logarithmic}};
    if (axis.min) json["min"] = Number(*axis.min);
    if (axis.max) json["max"] = Number(*axis.max);
    json["rounded"] = axis.rounded;
    return json;
}

Json SeriesJson(const Series& series) {
    Json json = {{"kind", KindName(series.kind)}, {"name", series.name}};
    if (series.colour) json["colour"] = ColourText(*series.colour);
    json["size"] = series.size;
    json["style"] = StyleName(series.style);
    json["x"] = Numbers(series.x);
    json["y"] = Numbers(series.y);
    return json;
}

Json ChartJson(const Chart& chart) {
    Json series = Json::array();
    for (const Series& s : chart.series) series.push_back(SeriesJson(s));
    return {{"title", chart.title},        {"x", AxisJson(chart.x)}, {"y", AxisJson(chart.y)},
            {"series", std::move(series)}, {"legend", chart.legend}, {"caption", chart.caption},
            {"share", chart.share}};
}

// Reading, with the place of a refused value named as a path into the object.
class Reader {
  public:
    Reader(const Json& json, std::string path) : json_(json), path_(std::move(path)) {}

    bool Has(const char* key) const { return json_.contains(key); }
    Reader At(const char* key) const { return {json_.at(key), path_ + "." + key}; }

    [[noreturn]] void Refuse(const std::string& what) const {
        throw PictureRefusal("the picture description's " + path_ + " " + what);
    }

    void Read(const char* key, std::string& target) const {
        if (!Has(key)) return;
        const Reader value = At(key);
        if (!value.json_.is_string()) value.Refuse("must be text");
        target = value.json_.get<std::string>();
    }
    void Read(const char* key, bool& target) const {
        if (!Has(key)) return;
        const Reader value = At(key);
        if (!value.json_.is_boolean()) value.Refuse("must be true or false");
        target = value.json_.get<bool>();
    }
    void Read(const char* key, int& target, int low, int high) const {
        if (!Has(key)) return;
        const Reader value = At(key);
        if (!value.json_.is_number_integer() || value.json_.get<std::int64_t>() < low ||
            value.json_.get<std::int64_t>() > high) {
            value.Refuse("must be a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high));
        }
        target = static_cast<int>(value.json_.get<std::int64_t>());
    }
    double Number() const {
        if (json_.is_null()) return std::numeric_limits<double>::quiet_NaN();
        if (!json_.is_number()) Refuse("must be a number or null");
        return json_.get<double>();
    }
    void Read(const char* key, std::optional<double>& target) const {
        if (Has(key)) target = At(key).Number();
    }
    void Read(const char* key, double& target) const {
        if (Has(key)) target = At(key).Number();
    }
    void Read(const char* key, std::vector<double>& target) const {
        if (!Has(key)) return;
        const Reader array = At(key);
        if (!array.json_.is_array()) array.Refuse("must be an array of numbers");
        target.clear();
        target.reserve(array.json_.size());
        for (std::size_t i = 0; i < array.json_.size(); ++i) {
            target.push_back(
                Reader(array.json_[i], array.path_ + "[" + std::to_string(i) + "]").Number());
        }
    }
    void Read(const char* key, std::vector<std::string>& target) const {
        if (!Has(key)) return;
        const Reader array = At(key);
        if (!array.json_.is_array()) array.Refuse("must be an array of texts");
        target.clear();
        for (std::size_t i = 0; i < array.json_.size(); ++i) {
            if (!array.json_[i].is_string()) array.Refuse("must hold texts only");
            target.push_back(array.json_[i].get<std::string>());
        }
    }
    // One of the names, as the index into them.
    template <class Enum, std::size_t N>
    void ReadName(const char* key, Enum& target, const char* const (&names)[N]) const {
        std::string name;
        Read(key, name);
        if (!Has(key)) return;
        for (std::size_t i = 0; i < N; ++i) {
            if (name == names[i]) {
                target = static_cast<Enum>(i);
                return;
            }
        }
        At(key).Refuse("\"" + name + "\" is not one of the known names");
    }
    void Read(const char* key, std::optional<Colour>& target) const {
        if (!Has(key)) return;
        std::string text;
        Read(key, text);
        const bool hex = text.size() == 7 && text[0] == '#' &&
                         text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
        if (!hex) At(key).Refuse("must be a colour #rrggbb, not \"" + text + "\"");
        const unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
        target = Colour{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                        static_cast<std::uint8_t>(rgb)};
    }
    // Each element of an array, read by `read`.
    template <class T, class ReadOne>
    void ReadEach(const char* key, std::vector<T>& target, std::size_t most,
                  ReadOne readOne) const {
        if (!Has(key)) return;
        const Reader array = At(key);
        if (!array.json_.is_array() || array.json_.size() > most) {
            array.Refuse("must be an array of at most " + std::to_string(most) + " objects");
        }
        for (std::size_t i = 0; i < array.json_.size(); ++i) {
            const Reader element(array.json_[i], array.path_ + "[" + std::to_string(i) + "]");
            if (!element.json_.is_object()) element.Refuse("must be an object");
            target.push_back(readOne(element));
        }
    }
    const Json& json() const { return json_; }

  private:
    const Json& json_;
    std::string path_;
};

constexpr const char* kKindNames[] = {"points", "line"};
constexpr const char* kStyleNames[] = {"solid", "dashed", "dash-dotted"};
constexpr const char* kArrangementNames[] = {"stacked", "side by side"};

Axis ReadAxis(const Reader& in) {
    Axis axis;
    if (!in.json().is_object()) in.Refuse("must be an object");
    in.Read("title", axis.title);
    in.Read("logarithmic", axis.logarithmic);
    in.Read("min", axis.min);
    in.Read("max", axis.max);
    in.Read("rounded", axis.rounded);
    return axis;
}

Series ReadSeries(const Reader& in) {
    Series series;
    in.ReadName("kind", series.kind, kKindNames);
    in.Read("name", series.name);
    in.Read("colour", series.colour);
    in.Read("size", series.size);
    if (!(series.size >= 0 && series.size <= 100)) in.Refuse("size must be from 0 to 100");
    in.ReadName("style", series.style, kStyleNames);
    in.Read("x", series.x);
    in.Read("y", series.y);
    if (series.x.size() != series.y.size()) in.Refuse("has not as many y values as x values");
    return series;
}

Chart ReadChart(const Reader& in) {
    Chart chart;
    in.Read("title", chart.title);
    if (in.Has("x")) chart.x = ReadAxis(in.At("x"));
    if (in.Has("y")) chart.y = ReadAxis(in.At("y"));
    in.ReadEach("series", chart.series, kMostSeries, ReadSeries);
    in.Read("legend", chart.legend);
    in.Read("caption", chart.caption);
    in.Read("share", chart.share, 1, kMostPixels);
    return chart;
}

}  // namespace

std::string PictureJson(const Picture& picture) {
    Json charts = Json::array();
    for (const Chart& chart : picture.charts) charts.push_back(ChartJson(chart));
    const Json json = {{"width", picture.width},
                       {"height", picture.height},
                       {"arrangement", kArrangementNames[static_cast<int>(picture.arrangement)]},
                       {"margin", picture.margin},
                       {"spacing", picture.spacing},
                       {"charts", std::move(charts)}};
    // Text that is not UTF-8 (a file name, say) is replaced, not refused.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Picture PictureFromJson(std::string_view text) {
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error& e) {
        throw PictureRefusal(std::string("the picture description is not JSON: ") + e.what());
    }
    const Reader in(json, "picture");
    if (!json.is_object()) in.Refuse("must be an object");
    Picture picture;
    in.Read("width", picture.width, 1, kMostPixels);
    in.Read("height", picture.height, 1, kMostPixels);
    in.ReadName("arrangement", picture.arrangement, kArrangementNames);
    in.Read("margin", picture.margin, 0, kMostPixels);
    in.Read("spacing", picture.spacing, 0, kMostPixels);
    in.ReadEach("charts", picture.charts, kMostCharts, ReadChart);
    if (picture.charts.empty()) in.Refuse("has no charts");
    return picture;
}

}  // namespace tsc::picture
