// The chart's series: points in ascending x as they are added, one at a time
// or in an update, drawn in the series colour, with axes that follow them.
#include <gtest/gtest.h>

#include <QChart>
#include <QValueAxis>
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
        for (const QPointF& p : series_->points()) points.push_back({p.x(), p.y()});
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

// The y values tell the points apart: equal x keep the order of adding.
INSTANTIATE_TEST_SUITE_P(
    Chart, SeriesOrder,
    ::testing::Values(
        OrderCase{"Ascending", {}, {{1, 1}, {2, 2}, {3, 3}}, {{1, 1}, {2, 2}, {3, 3}}},
        OrderCase{"Descending", {}, {{3, 1}, {2, 2}, {1, 3}}, {{1, 3}, {2, 2}, {3, 1}}},
        OrderCase{"EqualXKeepTheirOrder",
                  {},
                  {{2, 1}, {1, 2}, {2, 3}, {1, 4}},
                  {{1, 2}, {1, 4}, {2, 1}, {2, 3}}},
        OrderCase{"SecondRunFallsInAmongTheFirst",
                  {{200, 5}, {200.2, 6}, {200.4, 7}},
                  {{200, 1}, {200.2, 2}, {200.4, 3}},
                  {{200, 5}, {200, 1}, {200.2, 6}, {200.2, 2}, {200.4, 7}, {200.4, 3}}},
        OrderCase{"BeforeAndAfterAll",
                  {{1, 1}, {2, 2}},
                  {{3, 3}, {0, 0}},
                  {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        OrderCase{"NegativeAndTiny",
                  {{-1e-11, 1}},
                  {{1e-300, 2}, {-1e300, 3}, {0, 4}},
                  {{-1e300, 3}, {-1e-11, 1}, {0, 4}, {1e-300, 2}}}),
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
    EXPECT_EQ(series->count(), 0);
}

// The axes after adding the points, then after Clear.
TEST(ChartAxes, FollowThePointsAndReturnToTheirStartAfterClear) {
    TChart chart(nullptr);
    TFastLineSeries* series = chart.AddSeries();
    {
        const TUpdateScope update(*series);
        series->AddXY(200, 1.10697111127504e-20, QString(), clTeeColor);
        series->AddXY(375.8, 1.26344583984677e-11, QString(), clTeeColor);
        series->AddXY(400, 1.0e-12, QString(), clTeeColor);
    }
    QValueAxis* x = chart.BottomAxis();
    QValueAxis* y = chart.LeftAxis();
    EXPECT_LE(x->min(), 200);
    EXPECT_GE(x->max(), 400);
    EXPECT_GT(x->min(), 100);  // no needless empty space
    EXPECT_LT(x->max(), 500);
    EXPECT_LE(y->min(), 1.10697111127504e-20);
    EXPECT_GE(y->max(), 1.26344583984677e-11);
    EXPECT_LT(y->max(), 2.6e-11);
    // Labels keep the exponent of currents of about 1E-11 A.
    const QByteArray format = y->labelFormat().toLatin1();
    EXPECT_EQ(QString::asprintf(format.constData(), 1.26344583984677e-11), "1.263E-11");

    series->AddXY(500, 5e-11, QString(), clTeeColor);  // one at a time, too
    EXPECT_GE(x->max(), 500);
    EXPECT_GE(y->max(), 5e-11);

    series->Clear();
    EXPECT_EQ(x->min(), 0);
    EXPECT_EQ(x->max(), 1);
    EXPECT_EQ(y->min(), 0);
    EXPECT_EQ(y->max(), 1);
}

TEST(ChartAxes, OnePointOrEqualValuesStillGiveARange) {
    TChart chart(nullptr);
    TFastLineSeries* series = chart.AddSeries();
    series->AddXY(300, 0, QString(), clTeeColor);
    EXPECT_LT(chart.BottomAxis()->min(), 300);
    EXPECT_GT(chart.BottomAxis()->max(), 300);
    EXPECT_LT(chart.LeftAxis()->min(), chart.LeftAxis()->max());
}

}  // namespace
