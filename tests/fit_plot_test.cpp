#include "fit_plot.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <filesystem>

#include "standard_model.h"

namespace {

using namespace tsc::analysis;

struct Fitted {
    MeasuredCurve curve;
    FitResult fit;
};

Fitted FittedCurve() {
    Fitted f;
    for (const CurvePoint& p : StandardCurve({0.5, 1e10, 1e12}, {120, 5, 1}, 260, 0.5)) {
        f.curve.T.push_back(p.T);
        f.curve.I.push_back(p.I);
    }
    FitOptions options;
    options.Beta = 5;
    options.S = 1;
    f.fit = FitCurve(f.curve, options);
    return f;
}

TEST(FitPlot, DrawsTheCurveTheFitAndTheCaptionIntoAPng) {
    const Fitted f = FittedCurve();
    const std::string path = std::filesystem::temp_directory_path() / "fit_plot_test.png";
    ASSERT_EQ(WriteFitPlot(f.curve, f.fit, {"Et = 0.5 eV"}, path), "");
    const QImage image(QString::fromStdString(path));
    std::remove(path.c_str());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 1000);
    EXPECT_EQ(image.height(), 820);
    int fittedRed = 0, measuredBlue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            fittedRed += c.red() > 180 && c.green() < 80 && c.blue() < 80;
            measuredBlue += c.blue() > 160 && c.red() < 80;
        }
    }
    EXPECT_GT(fittedRed, 500);
    EXPECT_GT(measuredBlue, 500);
}

TEST(FitPlot, OtherFormatsAndUnwritablePlacesAreRefused) {
    const Fitted f = FittedCurve();
    EXPECT_NE(WriteFitPlot(f.curve, f.fit, {}, "fit.jpg").find("PNG only"), std::string::npos);
    EXPECT_EQ(WriteFitPlot(f.curve, f.fit, {}, "/nonexistent/fit.png"),
              "/nonexistent/fit.png: the picture cannot be written there");
}

}  // namespace
