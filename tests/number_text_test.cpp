#include "number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <random>

#include "exception.h"

namespace {

TEST(StrToFloat, AcceptsDecimalForms) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0.8", 0.8},       {"1e8", 1e8},  {"1E13", 1e13},    {"200", 200}, {" 400 ", 400},
        {"\t2\t", 2},       {"+1", 1},     {"-0.2", -0.2},    {".5", 0.5},  {"5.", 5},
        {"2.5e-3", 2.5e-3}, {"1e+2", 100}, {"-.25E+1", -2.5}, {"0", 0},     {"007", 7},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToFloat(c.text), c.value) << c.text;
}

TEST(StrToFloat, RoundsThroughExtendedToBinary64) {
    EXPECT_EQ(StrToFloat("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(StrToFloat("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);
    EXPECT_EQ(StrToFloat("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(StrToFloat("1.602e-19"), 1.602e-19);

    // 1 + 2^-53 + 2^-70: above the binary64 midpoint between 1 and its
    // successor, but it rounds onto that midpoint in extended first, and the
    // tie then goes to the even 1.
    EXPECT_EQ(
        StrToFloat("1.0000000000000001110231494954629083427022351315827108919620513916015625"),
        1.0);
    // 1 + 2^-53 + 2^-64 + 2^-120: just above an extended midpoint, so it
    // rounds up to 1 + 2^-53 + 2^-63 and then to 1 + 2^-52. A reading that
    // lost the 2^-120 would tie down to 1 + 2^-53 and end at 1.
    EXPECT_EQ(StrToFloat("1.00000000000000011107651257113992926481585583365179234067128044632223"
                         "7233803945956334136013765601092018187046051025390625"),
              1.0 + 0x1p-52);
}

TEST(StrToFloat, RejectsEverythingElseQuotingTheText) {
    for (const char* text : {"", " ", "abc", "inf", "nan", "INF", "0x10", "0,8", "1e", "e5",
                             "1.2.3", "1e8x", "--1", "+", ".", "1 2", "１", "1e+", "٣"}) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("'") + text + "'"),
                      std::string::npos)
                << error.what();
        }
    }
}

TEST(FloatToStr, FifteenDigitGeneralFormat) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {200, "200"},
        {200.2, "200.2"},
        {208.79999999999927, "208.799999999999"},
        {1.2634458398467659e-11, "1.26344583984677E-11"},
        {0, "0"},
        {-0.0, "0"},
        {-2.5, "-2.5"},
        {0.00001, "0.00001"},
        {0.000012345, "0.000012345"},
        {0.000001, "1E-6"},
        {1e15, "1E15"},
        {999999999999999.0, "999999999999999"},
        {9999999999999999.0, "1E16"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-1e-300, "-1E-300"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.text;
}

// Rounding to 15 digits can carry into a new digit and move the value from
// fixed to scientific notation or back.
TEST(FloatToStr, NotationIsChosenAfterRounding) {
    EXPECT_EQ(FloatToStr(999999999999999.9), "1E15");
    EXPECT_EQ(FloatToStr(0.0000099999999999999999), "0.00001");
    EXPECT_EQ(FloatToStr(9.9999999999999e-6), "9.9999999999999E-6");
}

TEST(NumberText, IgnoresTheProcessLocale) {
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(StrToFloat("0.5"), 0.5);
    EXPECT_EQ(FloatToStr(0.5), "0.5");
    EXPECT_THROW(StrToFloat("0,5"), EConvertError);
    std::setlocale(LC_ALL, "C");
    if (!german) GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine";
}

TEST(NumberText, FifteenDigitTextReadsBackToTheSameText) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::pow(10.0, exponent(random));
        const std::string text = FloatToStr(value);
        EXPECT_EQ(FloatToStr(StrToFloat(text)), text);
    }
}

}  // namespace
