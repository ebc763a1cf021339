#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plot_program.h"
#include "run_tsccurve.h"

namespace {

// Named after the running test too: ctest runs the cases side by side.
std::string TempPath(const std::string& name) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return (std::filesystem::temp_directory_path() / ("tsccurve_fit_" + test + "_" + name))
        .string();
}

std::string Written(const std::string& name, const std::string& text) {
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A TSC-like level (0.5 eV, 1e10 Hz, 1e12 cm^-2, 5 K/min, 1 mm^2) as the
// standard model's CSV from tsccurve itself.
std::string StandardCurveFile() {
    const Outcome curve =
        RunTool({"--model", "standard", "0.5", "1e10", "1e12", "120", "260", "5", "1", "0.2"});
    EXPECT_EQ(curve.code, 0);
    return Written("standard.csv", curve.out);
}

double JsonField(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\":");
    EXPECT_NE(at, std::string::npos) << key;
    return std::stod(json.substr(at + key.size() + 3));
}

TEST(TsccurveFit, JsonCarriesEveryKeyAndTheParametersComeBack) {
    const std::string file = StandardCurveFile();
    const Outcome fit = RunTool({"fit", file, "--beta", "5", "--area=1", "--json"});
    ASSERT_EQ(fit.code, 0) << fit.err;
    EXPECT_EQ(std::count(fit.out.begin(), fit.out.end(), '\n'), 1);
    EXPECT_EQ(fit.out.rfind("{\"model\":\"standard\",\"converged\":true,\"iterations\":", 0), 0u);
    for (const char* key : {"\"points\":701", "\"background\":{}", "\"corr_Et_lnVt\":", "\"Tm_K\":",
                            "\"Im_A\":", "\"fom_percent\":", "\"r2\":", "\"reduced_chi2\":"}) {
        EXPECT_NE(fit.out.find(key), std::string::npos) << key;
    }
    EXPECT_NEAR(JsonField(fit.out, "Et_eV\":{\"value") / 0.5, 1, 1e-3);
    EXPECT_NEAR(JsonField(fit.out, "Vt_Hz\":{\"value") / 1e10, 1, 2e-2);
    EXPECT_NEAR(JsonField(fit.out, "Nt_cm2\":{\"value") / 1e12, 1, 5e-3);
    // A value held fixed has no correlation, and says why.
    const Outcome fixed =
        RunTool({"fit", file, "--beta", "5", "--area=1", "--json", "--fix", "Et=0.5"});
    EXPECT_NE(fixed.out.find("\"corr_Et_lnVt\":null"), std::string::npos) << fixed.out;
    EXPECT_NE(fixed.out.find("\"why\":{\"corr_Et_lnVt\":\"Et or Vt is held fixed\""),
              std::string::npos);
    std::remove(file.c_str());
}

TEST(TsccurveFit, TextReportWithUnitsAndTheCurveFile) {
    const std::string file = StandardCurveFile();
    const std::string csv = TempPath("out.csv");
    const Outcome fit = RunTool({"fit", file, "--beta", "5", "--area", "1", "--background",
                                 "constant", "--range", "130:250", "--curve", csv});
    std::remove(file.c_str());
    const std::string curve = ReadAll(csv);
    std::remove(csv.c_str());
    ASSERT_EQ(fit.code, 0) << fit.err;
    for (const char* part : {"Et = 0.5", " eV\n", " Hz\n", " cm⁻²\n", "  background ",
                             "Tm = ", " K, Im = ", "FOM = ", "R² = "}) {
        EXPECT_NE(fit.out.find(part), std::string::npos) << part << "\n" << fit.out;
    }
    // The sum first, as a one-peak fit wrote it, then each component.
    EXPECT_EQ(curve.rfind("T_K,I_measured_A,I_fitted_A,residual_A,peak_1_A,background_A\n130,", 0),
              0u);
    EXPECT_EQ(std::count(curve.begin(), curve.end(), '\n'), 1 + 601);
}

TEST(TsccurveFit, RefusedInputExitsWithTwoAndNamesTheProblem) {
    const std::string file = StandardCurveFile();
    const std::string bad = Written("bad.txt", "T I\n200 1e-12\n201 x\n");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"fit", file, "--area", "1"}, "--beta is required"},
        {{"fit", file, "--beta", "0", "--area", "1"},
         "--beta: must be a finite number greater than 0"},
        {{"fit", file, "--beta", "5e-324", "--area", "1"},
         "outside the heating rates of real runs"},
        {{"fit", bad, "--beta", "5", "--area", "1"}, bad + ":3: expected two numbers"},
        {{"fit", file, "--beta", "5", "--area", "1", "--range", "200:201"},
         "6 points; fitting 3 parameters needs at least 12 within --range"},
        {{"fit", file, "--beta", "5", "--area", "1", "--fix", "Et=x"}, "--fix: Et needs a number"},
        {{"fit", file, "--beta", "5", "--fix", "Nt=1e12"}, "--fix 1:Nt needs --area"},
        {{"fit", file, "--beta", "5", "--area", "1", "--fix", "2:Et=0.5"},
         "names peak 2, but --peaks asks for 1"},
        {{"fit", file, "--beta", "5", "--area", "1", "--model", "legacy", "--peaks", "2"},
         "--model legacy fits the window's one first-order level"},
        {{"fit", file, "--beta", "5", "--area", "1", "--model", "legacy", "--step", "1e-4"},
         "more than 5000 steps"},
        {{"fit", file, "--beta", "5", "--area", "1", "--sideways"},
         "not expected: --sideways\nUsage: tsccurve fit"},
        {{"fit", TempPath("missing"), "--beta", "5", "--area", "1"}, "cannot be opened"},
    };
    for (const auto& c : cases) {
        const Outcome result = RunTool(c.args);
        EXPECT_EQ(result.code, 2) << c.message;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    std::remove(file.c_str());
    std::remove(bad.c_str());
}

TEST(TsccurveFit, AFitThatFailsSaysSoAndExitsWithThree) {
    std::string flat;
    for (int i = 0; i < 40; ++i) flat += std::to_string(200 + i) + " 0\n";
    const std::string file = Written("flat.txt", flat);
    const Outcome text = RunTool({"fit", file, "--beta", "5", "--area", "1"});
    const Outcome json = RunTool({"fit", file, "--beta", "5", "--area", "1", "--json"});
    std::remove(file.c_str());
    EXPECT_EQ(text.code, 3);
    EXPECT_NE(text.out.find("NOT converged"), std::string::npos);
    EXPECT_EQ(text.out.find(" eV"), std::string::npos);
    EXPECT_EQ(json.code, 3);
    EXPECT_NE(json.out.find("\"converged\":false"), std::string::npos);
}

// What an audit of the fit once saw abort the program or come back as
// "converged" with nonsense: every one is now a fit that did not converge,
// exit 3, with its reason and no values.
TEST(TsccurveFit, HeldValuesAndCurvesWithoutAFitExitWithThree) {
    const std::string file = StandardCurveFile();
    std::string flat, spike, negated;
    for (int i = 0; i < 100; ++i) flat += std::to_string(200 + i) + " 1e-12\n";
    for (int i = 0; i < 40; ++i) spike += std::to_string(200 + i) + (i ? " 0\n" : " 1e-9\n");
    std::istringstream lines(ReadAll(file));
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) negated += line.replace(line.find(','), 1, ",-") + "\n";
    const std::string flatFile = Written("flat.txt", flat), spikeFile = Written("spike.txt", spike),
                      negatedFile = Written("negated.csv", negated);
    const std::vector<std::string> base = {"--beta", "5", "--area", "1"};
    const std::vector<std::vector<std::string>> cases = {
        {file, "--fix", "Vt=1e304"},
        {file, "--fix", "Vt=1e50"},
        {file, "--fix", "Nt=1e16"},
        {file, "--fix", "Nt=49.9"},
        {file, "--fix", "Et=5e-324"},
        {file, "--fix", "Et=1e-300"},
        {spikeFile, "--background", "linear"},
        {negatedFile, "--background", "constant"},
        {flatFile, "--model", "legacy"},
    };
    for (std::vector<std::string> args : cases) {
        args.insert(args.begin(), "fit");
        args.insert(args.end(), base.begin(), base.end());
        const Outcome fit = RunTool(args);
        EXPECT_EQ(fit.code, 3) << args[1] << " " << args[2] << " " << args[3] << "\n" << fit.out;
        EXPECT_NE(fit.out.find("NOT converged ("), std::string::npos) << fit.out;
        EXPECT_EQ(fit.out.find("±"), std::string::npos) << fit.out;
    }
    const Outcome held = RunTool({"fit", file, "--beta", "5", "--area", "1", "--fix", "Vt=1e50"});
    EXPECT_NE(held.out.find("the values held (Vt = 1e+50 Hz of peak 1) may lie outside what the "
                            "data allow"),
              std::string::npos)
        << held.out;
    for (const std::string& f : {file, flatFile, spikeFile, negatedFile}) std::remove(f.c_str());
}

// The picture itself is drawn by tsccurve-plot (plot_tests); run here, in the
// tests' own folder, tsccurve does not find it and says so.
TEST(TsccurveFit, PictureProgramMissingOrNotBuilt) {
    const std::string file = StandardCurveFile();
    const std::string png = TempPath("fit.png");
    const Outcome fit = RunTool({"fit", file, "--beta", "5", "--area", "1", "--plot", png});
    std::remove(file.c_str());
    EXPECT_FALSE(std::filesystem::exists(png));
    std::remove(png.c_str());
    if (PlotAvailable()) {
        if (std::filesystem::exists(TSC_INSTALLED_PLOT_PROGRAM)) GTEST_SKIP() << "one is installed";
        EXPECT_EQ(fit.code, 1) << fit.err;
        EXPECT_NE(fit.out.find("converged"), std::string::npos);
        EXPECT_NE(fit.err.find(png + ": no picture: the picture program is not installed"),
                  std::string::npos)
            << fit.err;
    } else {
        EXPECT_EQ(fit.code, 2);
        EXPECT_NE(fit.err.find("--plot needs tsccurve built with the window program"),
                  std::string::npos);
    }
    EXPECT_EQ(RunTool({"fit", "x.txt", "--beta", "5", "--plot", "fit.jpg"}).code, 2);
}

TEST(TsccurveFit, StandardModelPeakAddsTheContinuousPeak) {
    const Outcome peak = RunTool(
        {"--peak", "--model", "standard", "0.5", "1e10", "1e12", "120", "260", "5", "1", "0.2"});
    ASSERT_EQ(peak.code, 0) << peak.err;
    const std::size_t first = peak.out.find('\n');
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(std::count(peak.out.begin(), peak.out.end(), '\n'), 2);
    std::istringstream lines(peak.out);
    double gridT, gridI, Tm, Im;
    lines >> gridT >> gridI >> Tm >> Im;
    EXPECT_NEAR(Tm, gridT, 0.2);
    EXPECT_GE(Im, gridI);
    EXPECT_EQ(
        RunTool({"--model", "sideways", "0.5", "1e10", "1e12", "120", "260", "5", "1", "0.2"}).code,
        2);
}

}  // namespace
