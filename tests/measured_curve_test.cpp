#include "measured_curve.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace tsc::analysis;

MeasuredCurve Parsed(std::string_view bytes, bool celsius = false) {
    CurveReading reading = ParseMeasuredCurve(bytes, "m.txt", celsius);
    if (const auto* refusal = std::get_if<CurveRefusal>(&reading)) {
        ADD_FAILURE() << refusal->Message();
        return {};
    }
    return std::get<MeasuredCurve>(reading);
}

std::string Refusal(std::string_view bytes) {
    CurveReading reading = ParseMeasuredCurve(bytes, "m.txt", false);
    if (const auto* refusal = std::get_if<CurveRefusal>(&reading)) return refusal->Message();
    return "taken";
}

const std::vector<double> kT = {200, 200.5, 201};
const std::vector<double> kI = {1.5e-12, -2e-14, 3e-12};

TEST(MeasuredCurve, EverySeparatorLineEndAndSkippedLine) {
    for (const char* text : {
             "200 1.5e-12\n200.5\t-2e-14\n201   3E-12\n",
             "T,I\r\n200,1.5e-12\r\n200.5, -2e-14\r\n+201,3e-12,\r\n",
             "# sample 7\n\n200;1.5e-12\r200.5 ; -2e-14\r201;3e-12",
             "\xEF\xBB\xBFtemperature current\n# comment\n200 1.5e-12\n200.5 -2e-14\n201 3e-12\n",
             // A Shift-JIS header: the bytes of 温度(K) 電流(A).
             "\x89\xb7\x93\x78(K) \x93\x64\x97\xac(A)\r\n200 1.5e-12\r\n200.5 -2e-14\r\n201 "
             "3e-12\r\n",
         }) {
        const MeasuredCurve curve = Parsed(text);
        EXPECT_EQ(curve.T, kT) << text;
        EXPECT_EQ(curve.I, kI) << text;
    }
}

TEST(MeasuredCurve, TheProgramsOwnResultsFileAndCsv) {
    const MeasuredCurve results =
        Parsed("\r\n200\r\n1.5E-12\r\n\r\n200.5\r\n-2E-14\r\n\r\n201\r\n3E-12\r\n\r\n");
    EXPECT_EQ(results.T, kT);
    EXPECT_EQ(results.I, kI);
    const MeasuredCurve csv = Parsed("T_K,Itsc_A\n200,1.5E-12\n200.5,-2E-14\n201,3E-12\n");
    EXPECT_EQ(csv.T, kT);
    EXPECT_EQ(csv.I, kI);
}

TEST(MeasuredCurve, CelsiusAndValuesBelowTheDoubleRange) {
    const MeasuredCurve curve = Parsed("-73.15 1e-400\n26.85 2\n", true);
    ASSERT_EQ(curve.T.size(), 2u);
    EXPECT_DOUBLE_EQ(curve.T[0], 200);
    EXPECT_DOUBLE_EQ(curve.T[1], 300);
    EXPECT_EQ(curve.I[0], 0);
}

TEST(MeasuredCurve, RefusalsNameTheFileTheLineAndTheReason) {
    EXPECT_EQ(Refusal("T I\n200 1\n201 2 3\n"),
              "m.txt:3: expected two numbers, temperature and current");
    EXPECT_EQ(Refusal("200 1\n201 x\n"), "m.txt:2: expected two numbers, temperature and current");
    EXPECT_EQ(Refusal("200 1\nabc\n"), "m.txt:2: expected two numbers, temperature and current");
    EXPECT_EQ(Refusal("200 1\n201,,2\n"), "m.txt:2: expected two numbers, temperature and current");
    EXPECT_EQ(Refusal("200 1\n201 nan\n"), "m.txt:2: a value that is not finite");
    EXPECT_EQ(Refusal("200 1\n1e999 1\n"), "m.txt:2: a value that is not finite");
    EXPECT_EQ(Refusal("0 1\n"), "m.txt:1: a temperature that is not above 0 K");
    EXPECT_EQ(Refusal("200\r\n1\r\n\r\n201\r\n\r\n2\r\n"),
              "m.txt:5: a temperature without its current");
    EXPECT_EQ(Refusal("200\n1\n201 2\n"),
              "m.txt:3: expected one number per line, as in a results file");
    // Nothing a file holds makes the reader crash or hang.
    EXPECT_EQ(Refusal(std::string("200 1\n\0\xff\x01 2\n", 12)),
              "m.txt:2: expected two numbers, temperature and current");

    const MeasuredCurve three = Parsed("200 1\n201 2\n202 3\n");
    EXPECT_EQ(CheckEnoughPoints(three, 3, "m.txt")->Message(),
              "m.txt: 3 points; fitting 3 parameters needs at least 12");
    EXPECT_FALSE(CheckEnoughPoints(Parsed("1 1\n2 1\n3 1\n4 1\n"), 1, "m.txt"));
}

TEST(MeasuredCurve, TemperaturesThatStepBackAreSortedKeepingEqualOnesInOrder) {
    const MeasuredCurve curve = Parsed("380.85 115\n383.65 130\n382.85 134\n383.65 131\n384 1\n");
    EXPECT_EQ(curve.T, (std::vector<double>{380.85, 382.85, 383.65, 383.65, 384}));
    EXPECT_EQ(curve.I, (std::vector<double>{115, 134, 130, 131, 1}));
    EXPECT_EQ(curve.reordered, 2u);
    EXPECT_EQ(Parsed("200 1\n200 2\n").reordered, 0u);
}

TEST(MeasuredCurve, FilesThatCannotBeRead) {
    const auto missing = ReadMeasuredCurve("/nonexistent/m.txt", false);
    EXPECT_EQ(std::get<CurveRefusal>(missing).Message(),
              "/nonexistent/m.txt: the file cannot be opened");
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(std::get<CurveRefusal>(ReadMeasuredCurve(folder, false)).reason,
              "this is a folder, not a file");

    const std::string path = folder + "/measured_curve_test.txt";
    std::ofstream(path, std::ios::binary) << "200 1\r\n201 2\r\n";
    const auto read = ReadMeasuredCurve(path, false);
    std::remove(path.c_str());
    EXPECT_EQ(std::get<MeasuredCurve>(read).I, (std::vector<double>{1, 2}));
}

}  // namespace
