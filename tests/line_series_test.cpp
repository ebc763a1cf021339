// The chart's series: points in ascending x as they are added, one at a time
// or in an update, drawn in the series colour, with axes that follow them.
#include <gtest/gtest.h>

#include <QChart>
#include <ostream>
#include <vector>

#include "chart.h"
#include "update_scope.h"

namespace {

struct Point {
    double x;
    double y;
};

struct OrderCase {
    const char* name;
    std::vector<Point> earlier;  // added first, one at a time
    std::vector<Point> later;    // then added
    std::vector<Point> result;   // the series afterwards
};

void PrintTo(const OrderCase& value, std::ostream* out) { *out << value.name; }

class SeriesOrder : public ::testing::TestWithParam<OrderCase> {
  protected:
    std::vector<Point> Points() const {
        std::vector<Point> points;
        for (const QPointF& p : series_->Points()) points.push_back({p.x(), p.y()});
        return points;
    }
    void ExpectResult() const {
        const std::vector<Point> points = Points();
        ASSERT_EQ(points.size(), GetParam().result.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i].x, GetParam().result[i].x) << "point " << i;
            EXPECT_EQ(points[i].y, GetParam().result[i].y) << "point " << i;
        }
    }

    TChart chart_{nullptr};
    TFastLineSeries* series_ = chart_.AddSeries();
};

// Enough points of two x values that an unstable sort mixes them up (short
// runs are sorted by insertion, which keeps any order).
OrderCase ManyEqualX() {
    OrderCase c{"ManyEqualXKeepTheirOrder", {}, {}, {}};
    for (int i = 0; i < 64; ++i) c.later.push_back({double(i % 2), double(i)});
    for (int i = 0; i < 64; i += 2) c.result.push_back({0, double(i)});
    for (int i = 1; i < 64; i += 2) c.result.push_back({1, double(i)});
    return c;
}

// The y values tell the points apart: equal x keep the order of adding.
INSTANTIATE_TEST_SUITE_P(
    Chart, SeriesOrder,
    ::testing::Values(
        OrderCase{"Descending", {}, {{3, 1}, {2, 2}, {1, 3}}, {{1, 3}, {2, 2}, {3, 1}}},
        OrderCase{"EqualXKeepTheirOrder",
                  {},
                  {{2, 1}, {1, 2}, {2, 3}, {1, 4}},
                  {{1, 2}, {1, 4}, {2, 1}, {2, 3}}},
        OrderCase{"SecondRunFallsInAmongTheFirst",
                  {{200, 5}, {200.2, 6}, {200.4, 7}},
                  {{200, 1}, {200.2, 2}, {200.4, 3}},
                  {{200, 5}, {200, 1}, {200.2, 6}, {200.2, 2}, {200.4, 7}, {200.4, 3}}},
        OrderCase{"NegativeAndTiny",
                  {{-1e-11, 1}},
                  {{1e-300, 2}, {-1e300, 3}, {0, 4}},
                  {{-1e300, 3}, {-1e-11, 1}, {0, 4}, {1e-300, 2}}},
        ManyEqualX()),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(SeriesOrder, OneAtATime) {
    for (const Point& p : GetParam().earlier) series_->AddXY(p.x, p.y, QString(), clTeeColor);
    for (const Point& p : GetParam().later) series_->AddXY(p.x, p.y, QString(), clTeeColor);
    ExpectResult();
}

TEST_P(SeriesOrder, InAnUpdate) {
    for (const Point& p : GetParam().earlier) series_->AddXY(p.x, p.y, QString(), clTeeColor);
    {
        const TUpdateScope update(*series_);
        for (const Point& p : GetParam().later) series_->AddXY(p.x, p.y, QString(), clTeeColor);
        EXPECT_EQ(series_->Count(), GetParam().result.size());
    }
    ExpectResult();
}

TEST(Series, ClearRemovesEveryPointAlsoThoseOfAnUpdate) {
    TChart chart(nullptr);
    TFastLineSeries* series = chart.AddSeries();
    series->AddXY(1, 1, QString(), clTeeColor);
    {
        const TUpdateScope update(*series);
        series->AddXY(2, 2, QString(), clTeeColor);
        series->Clear();
        EXPECT_EQ(series->Count(), 0);
    }
    EXPECT_EQ(series->Points().size(), 0);
}

}  // namespace
