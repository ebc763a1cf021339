// tsccurve's pictures as a user gets them: the built tsccurve runs the
// built tsccurve-plot beside it. Checked by size and by the colours of what
// each picture must show, not byte for byte.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Ran {
    int code;
    std::string err;
};

class Pictures : public testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // The shell command with its standard output into `out` (a file name in
    // the test's folder) and its standard error kept.
    Ran Shell(const std::string& command, const std::string& out = "out.txt") const {
        const std::string err = Path("err.txt");
        const int status =
            std::system((command + " > '" + Path(out) + "' 2> '" + err + "'").c_str());
        std::ifstream file(err);
        std::stringstream text;
        text << file.rdbuf();
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
    }

    // A first-order peak (0.5 eV, 1e10 Hz, 1e12 cm^-2, 5 K/min) as tsccurve's
    // standard-model CSV.
    std::string Curve() const {
        EXPECT_EQ(Shell(std::string(TSCCURVE) + " --model standard 0.5 1e10 1e12 120 260 5 1 0.5",
                        "curve.csv")
                      .code,
                  0);
        return Path("curve.csv");
    }

    fs::path dir_ =
        fs::temp_directory_path() /
        (std::string("tsc_plot_") + testing::UnitTest::GetInstance()->current_test_info()->name());
};

// How many pixels of the rectangle have a colour the test accepts.
int Count(const QImage& image, QRect area, const std::function<bool(QColor)>& accepted) {
    int count = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) count += accepted(image.pixelColor(x, y));
    }
    return count;
}

bool Red(QColor c) { return c.red() > 180 && c.green() < 80 && c.blue() < 80; }
bool Blue(QColor c) { return c.blue() > 150 && c.red() < 80; }
bool Green(QColor c) { return c.green() > 100 && c.red() < 60 && c.blue() < 60; }
bool Black(QColor c) { return c.red() < 40 && c.green() < 40 && c.blue() < 40; }

TEST_F(Pictures, FitShowsPointsCurveCaptionAndResidualsBeneath) {
    const std::string png = Path("fit.png");
    const Ran fit = Shell(std::string(TSCCURVE) + " fit '" + Curve() +
                          "' --beta 5 --area 1 --plot '" + png + "'");
    ASSERT_EQ(fit.code, 0) << fit.err;
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(1000, 820));
    const QRect upper(0, 0, 1000, 560), lower(0, 560, 1000, 260);
    EXPECT_GT(Count(image, upper, Red), 500);   // the fitted curve
    EXPECT_GT(Count(image, upper, Blue), 500);  // the measured points
    EXPECT_GT(Count(image, lower, Blue), 200);  // the residuals
    EXPECT_EQ(Count(image, lower, Red), 0);
    // The caption's text in the upper right corner of the upper plot.
    EXPECT_GT(Count(image, QRect(700, 90, 260, 130), Black), 300);
}

// The leftmost column of the rectangle with a pixel the test accepts.
int LeftmostColumn(const QImage& image, QRect area, const std::function<bool(QColor)>& accepted) {
    for (int x = area.left(); x <= area.right(); ++x) {
        if (Count(image, QRect(x, area.top(), 1, area.height()), accepted) > 0) return x;
    }
    return -1;
}

TEST_F(Pictures, ResidualsLineUpWithThePointsAboveThem) {
    // The upper chart's labels ("10") are narrower than the residuals'
    // ("-0.2"): the temperature axes must still fall on the same columns.
    const std::string png = Path("fit.png");
    ASSERT_EQ(Shell(std::string(TSCCURVE) + " fit '" + Curve() + "' --beta 5 --area 1 --plot '" +
                    png + "'")
                  .code,
              0);
    const QImage image(QString::fromStdString(png));
    const int upper = LeftmostColumn(image, QRect(0, 90, 1000, 420), Blue);
    const int lower = LeftmostColumn(image, QRect(0, 580, 1000, 180), Blue);
    ASSERT_GT(upper, 0);
    EXPECT_NEAR(upper, lower, 1);
}

TEST_F(Pictures, MethodsShowInitialRisePeakAndWholeCurveSideBySide) {
    const std::string png = Path("methods.png");
    const Ran methods =
        Shell(std::string(TSCCURVE) + " methods '" + Curve() + "' --beta 5 --plot '" + png + "'");
    ASSERT_EQ(methods.code, 0) << methods.err;
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(2100, 560));
    const QRect left(0, 0, 700, 560), middle(700, 0, 700, 560), right(1400, 0, 700, 560);
    EXPECT_GT(Count(image, left, Green), 100);    // the initial-rise window's points
    EXPECT_GT(Count(image, left, Red), 200);      // the line fitted through them
    EXPECT_GT(Count(image, middle, Blue), 500);   // the measured curve
    EXPECT_GT(Count(image, middle, Red), 100);    // Tm
    EXPECT_GT(Count(image, middle, Green), 100);  // T1 and T2
    EXPECT_GT(Count(image, right, Green), 100);   // the whole-curve method's points
    EXPECT_GT(Count(image, right, Red), 100);     // and its line
}

TEST_F(Pictures, WhatThePictureProgramCannotDoIsReported) {
    const Ran unwritable = Shell(std::string(TSCCURVE) + " fit '" + Curve() +
                                 "' --beta 5 --area 1 --plot '" + Path("absent/fit.png") + "'");
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_EQ(unwritable.err, "tsccurve fit: " + Path("absent/fit.png") +
                                  ": the picture cannot be written there\n");

    const Ran notAPicture = Shell("echo '{\"charts\": 3}' | " + std::string(TSCCURVE_PLOT) + " '" +
                                  Path("x.png") + "'");
    EXPECT_EQ(notAPicture.code, 2);
    EXPECT_NE(notAPicture.err.find("picture.charts must be an array"), std::string::npos)
        << notAPicture.err;
}

}  // namespace
