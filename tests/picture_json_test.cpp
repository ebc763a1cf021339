// The picture's JSON form, which carries a picture from tsccurve to its
// renderer: nothing may be lost or changed on the way, and a text that is
// no picture is refused with the place named.
#include "picture_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace tsc::picture;

TEST(PictureJson, EveryFieldAndEveryNumberComesBack) {
    Picture picture{.width = 640,
                    .height = 480,
                    .arrangement = Arrangement::SideBySide,
                    .margin = 3,
                    .spacing = 4};
    Chart chart{.title = "Peak: μg = 0.42",
                .x = {.title = "T (K)", .min = 0.1, .rounded = true},
                .y = {.title = "I (A)", .logarithmic = true, .max = 1.7976931348623157e308},
                .legend = false,
                .caption = {"Et = 0.5 eV", "Nt = 1e12 cm⁻²"},
                .share = 7};
    chart.series.push_back({.kind = SeriesKind::Points,
                            .name = "measured",
                            .colour = Colour{40, 90, 200},
                            .size = 3,
                            .x = {0.1, 1e-300, 5e-324},
                            .y = {-0.0, 2.5, 1.0 / 3}});
    chart.series.push_back({.name = "", .style = LineStyle::DashDotted, .x = {1}, .y = {2}});
    picture.charts = {chart, Chart{}};
    EXPECT_EQ(PictureFromJson(PictureJson(picture)), picture);

    picture.charts[1].series.push_back({.x = {std::numeric_limits<double>::infinity()}, .y = {1}});
    EXPECT_TRUE(std::isnan(PictureFromJson(PictureJson(picture)).charts[1].series[0].x[0]));
}

TEST(PictureJson, WhatIsNoPictureIsRefusedNamingThePlace) {
    const struct {
        const char* json;
        const char* message;
    } cases[] = {
        {"[1", "the picture description is not JSON"},
        {"{\"charts\": []}", "the picture description's picture has no charts"},
        {"{\"width\": 100000, \"charts\": [{}]}", "picture.width must be a whole number from 1"},
        {"{\"charts\": [{\"series\": [{\"x\": [1, 2], \"y\": [1]}]}]}",
         "picture.charts[0].series[0] has not as many y values as x values"},
        {"{\"charts\": [{\"series\": [{\"colour\": \"red\"}]}]}", "must be a colour #rrggbb"},
        {"{\"charts\": [{\"x\": {\"min\": \"low\"}}]}", "picture.charts[0].x.min must be a number"},
    };
    for (const auto& c : cases) {
        try {
            PictureFromJson(c.json);
            ADD_FAILURE() << c.json << " was taken";
        } catch (const PictureRefusal& refusal) {
            EXPECT_NE(std::string(refusal.what()).find(c.message), std::string::npos)
                << refusal.what();
        }
    }
}

}  // namespace
