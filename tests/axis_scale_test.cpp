// The chart's axes: round ticks with readable labels for any magnitude, and
// axes that follow the series' points.
#include "axis_scale.h"

#include <gtest/gtest.h>

#include <QCategoryAxis>
#include <QLineSeries>
#include <cmath>
#include <limits>
#include <ostream>
#include <vector>

#include "chart.h"
#include "number_text.h"
#include "update_scope.h"

namespace {

constexpr double kNoData = std::numeric_limits<double>::infinity();

struct ScaleCase {
    const char* name;
    double low;
    double high;
    std::vector<std::string> labels;
};

void PrintTo(const ScaleCase& value, std::ostream* out) { *out << value.name; }

class AxisScales : public ::testing::TestWithParam<ScaleCase> {};

INSTANTIATE_TEST_SUITE_P(
    Chart, AxisScales,
    ::testing::Values(
        ScaleCase{"SampleCurrents",
                  1.10697111127504e-20,
                  1.26344583984677e-11,
                  {"0", "5E-12", "1E-11", "1.5E-11"}},
        ScaleCase{
            "CurrentsBelow1E12", 0, 9.2e-13, {"0", "2E-13", "4E-13", "6E-13", "8E-13", "1E-12"}},
        ScaleCase{"SampleTemperatures", 200, 399.999999999989, {"200", "250", "300", "350", "400"}},
        ScaleCase{"NarrowRange", 200, 200.2, {"200", "200.05", "200.1", "200.15", "200.2"}},
        ScaleCase{"AcrossZero", -3e-11, 1e-11, {"-3E-11", "-2E-11", "-1E-11", "0", "1E-11"}},
        ScaleCase{"OneValue", 300, 300, {"280", "290", "300", "310", "320"}},
        ScaleCase{"OnlyZero", 0, 0, {"-1", "-0.5", "0", "0.5", "1"}},
        ScaleCase{"NoData", kNoData, -kNoData, {"0", "0.2", "0.4", "0.6", "0.8", "1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(AxisScales, TickOnRoundValuesDrawnAFewUnitsWide) {
    const AxisScale scale = NiceAxisScale(GetParam().low, GetParam().high);
    std::vector<std::string> labels;
    for (const AxisTick& tick : scale.ticks) labels.push_back(tick.label);
    EXPECT_EQ(labels, GetParam().labels);
    ASSERT_FALSE(scale.ticks.empty());
    EXPECT_EQ(scale.ticks.front().position, scale.low);
    EXPECT_EQ(scale.ticks.back().position, scale.high);
    // The chart library lays out axes from about 1E-12 wide; drawn ranges
    // stay well clear of that.
    EXPECT_GE(scale.high - scale.low, 1);
    EXPECT_LE(scale.high - scale.low, 100);
    if (std::isfinite(GetParam().low)) {
        EXPECT_LE(scale.low * scale.unit, GetParam().low);
        EXPECT_GE(scale.high * scale.unit, GetParam().high);
    }
}

TEST(AxisScales, ExtremeValuesStillGiveDistinctTicks) {
    for (const auto& [low, high] : {std::pair{-1.7e308, 1.7e308}, std::pair{1e6, 1e6 + 1e-6},
                                    std::pair{4.9e-324, 1e-323}, std::pair{1e307, 1.7e308}}) {
        const AxisScale scale = NiceAxisScale(low, high);
        ASSERT_GE(scale.ticks.size(), 2u) << low << " " << high;
        for (std::size_t i = 1; i < scale.ticks.size(); ++i) {
            EXPECT_NE(scale.ticks[i].label, scale.ticks[i - 1].label) << low << " " << high;
        }
        for (const AxisTick& tick : scale.ticks)
            EXPECT_EQ(tick.label.find("INF"), std::string::npos);
    }
}

std::vector<std::string> TickLabels(const AxisScale& scale) {
    std::vector<std::string> labels;
    for (const AxisTick& tick : scale.ticks) labels.push_back(tick.label);
    return labels;
}

TEST(PictureAxes, TheRoundStepThatWidensTheRangeLeast) {
    using Labels = std::vector<std::string>;
    // A step of 50000 would reach -50000: most of the chart empty below zero.
    EXPECT_EQ(TickLabels(TightAxisScale(-3225, 111000, 10)),
              (Labels{"-20000", "0", "20000", "40000", "60000", "80000", "100000", "120000"}));
    // Data on round values keep their range: 20 K steps, not 50 K to 300 K.
    EXPECT_EQ(TickLabels(TightAxisScale(100, 260, 10)),
              (Labels{"100", "120", "140", "160", "180", "200", "220", "240", "260"}));
    // Of 50 and 100, which widen alike, the finer.
    EXPECT_EQ(TickLabels(TightAxisScale(314.6, 671.5, 10)),
              (Labels{"300", "350", "400", "450", "500", "550", "600", "650", "700"}));
    // A short axis: no more intervals than it has room for.
    EXPECT_EQ(TickLabels(TightAxisScale(-1300, 1600, 5)),
              (Labels{"-2000", "-1000", "0", "1000", "2000"}));
    for (const auto& [low, high] :
         {std::pair{-1.7e308, 1.7e308}, std::pair{1e6, 1e6 + 1e-6}, std::pair{4.9e-324, 1e-323},
          std::pair{1e307, 1.7e308}, std::pair{kNoData, -kNoData}}) {
        const AxisScale scale = TightAxisScale(low, high, 10);
        ASSERT_GE(scale.ticks.size(), 2u) << low << " " << high;
        EXPECT_LE(scale.ticks.size(), 11u) << low << " " << high;
        for (std::size_t i = 1; i < scale.ticks.size(); ++i) {
            EXPECT_NE(scale.ticks[i].label, scale.ticks[i - 1].label) << low << " " << high;
        }
    }
}

std::vector<std::string> Labels(QCategoryAxis* axis) {
    std::vector<std::string> labels;
    for (const QString& label : axis->categoriesLabels()) labels.push_back(label.toStdString());
    return labels;
}

TEST(ChartAxes, FollowThePointsAndReturnToTheirStartAfterClear) {
    TChart chart(nullptr);
    TFastLineSeries* series = chart.AddSeries();
    {
        const TUpdateScope update(*series);
        series->AddXY(200, 1e-20, QString(), clTeeColor);
        series->AddXY(340, 9.2e-13, QString(), clTeeColor);
        series->AddXY(400, 0, QString(), clTeeColor);
    }
    EXPECT_EQ(Labels(chart.BottomAxis()),
              (std::vector<std::string>{"200", "250", "300", "350", "400"}));
    EXPECT_EQ(Labels(chart.LeftAxis()),
              (std::vector<std::string>{"0", "2E-13", "4E-13", "6E-13", "8E-13", "1E-12"}));
    // The curve is drawn on the axes' scale: the peak at 9.2 of 10 units.
    QLineSeries* curve = series->Curve();
    ASSERT_EQ(curve->count(), 3);
    EXPECT_DOUBLE_EQ(curve->at(1).y(), 9.2);
    EXPECT_DOUBLE_EQ(chart.LeftAxis()->max(), 10);

    series->AddXY(500, 5e-12, QString(), clTeeColor);  // one at a time, too
    EXPECT_EQ(Labels(chart.BottomAxis()).back(), "500");
    EXPECT_EQ(Labels(chart.LeftAxis()).back(), "5E-12");

    series->Clear();
    EXPECT_EQ(curve->count(), 0);
    EXPECT_EQ(Labels(chart.LeftAxis()),
              (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1"}));
}

}  // namespace
