// `tsccurve methods` end to end on files of independently made peaks: the
// report's keys, nulls with their reasons, heating rates paired with their
// files, and the exit codes of refused input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "first_order_curve.h"
#include "plot_program.h"
#include "run_tsccurve.h"

namespace {

Outcome Methods(std::vector<std::string> args) {
    args.insert(args.begin(), "methods");
    return RunTool(args);
}

class MethodsCommand : public testing::Test {
  protected:
    std::string Write(const std::string& name, const SampledCurve& curve) {
        const std::string path = (dir_ / name).string();
        std::ofstream file(path);
        file << "T_K,I_A\n";
        char line[64];
        for (std::size_t i = 0; i < curve.T.size(); ++i) {
            std::snprintf(line, sizeof line, "%.17g,%.17g\n", curve.T[i], curve.I[i]);
            file << line;
        }
        return path;
    }
    std::string Peak(double beta, double above = 40) {
        return Write("peak" + std::to_string(beta) + "_" + std::to_string(above) + ".csv",
                     SampleCurve({0.5, 1e10, beta}, 60, above, 0.1));
    }
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // One folder per test, as ctest runs them side by side.
    std::filesystem::path dir_ = std::filesystem::temp_directory_path() /
                                 (std::string("tsc_methods_") +
                                  testing::UnitTest::GetInstance()->current_test_info()->name());
};

double NumberAfter(const std::string& text, const std::string& key) {
    const auto at = text.find(key);
    return at == std::string::npos ? std::nan("") : std::stod(text.substr(at + key.size()));
}

TEST_F(MethodsCommand, OneCurveAsTableAndAsJson) {
    const std::string file = Peak(5);
    const Outcome table = Methods({file, "--beta", "5"});
    EXPECT_EQ(table.code, 0) << table.err;
    EXPECT_NE(table.out.find("Tm = 210.6"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("(first order)"), std::string::npos);
    EXPECT_NE(table.out.find("Et (eV)"), std::string::npos);

    const Outcome json = Methods({"--beta", "5", file, "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    for (const char* key :
         {"{\"curves\":[{\"file\":", "\"beta_K_per_min\":5", "\"Tm_K\":210.6", "\"Im_A\":",
          "\"T1_K\":", "\"T2_K\":", "\"tau_K\":", "\"delta_K\":", "\"omega_K\":", "\"mu_g\":0.4",
          "\"chen\":{\"tau\":{\"Et_eV\":0.5", "\"delta\":{\"Et_eV\":", "\"omega\":{\"Et_eV\":",
          "\"Vt_Hz\":", "\"initial_rise\":{\"Et_eV\":0.49", "\"stderr\":", "\"points\":"}) {
        EXPECT_NE(json.out.find(key), std::string::npos) << key << " in " << json.out;
    }
    EXPECT_EQ(json.out.find("heating_rate"), std::string::npos);
    EXPECT_EQ(json.out.find("null"), std::string::npos);
}

TEST_F(MethodsCommand, WhatCannotBeHadIsNullWithItsReason) {
    const Outcome json = Methods({Peak(5, 4), "--beta", "5", "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_NE(json.out.find("\"T2_K\":null"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"chen\":{\"tau\":null"), std::string::npos);
    EXPECT_NE(json.out.find("\"why\":{\"T2_K\":\"the current does not fall to half"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"tau_K\":10."), std::string::npos);

    const Outcome narrow = Methods({Peak(5), "--beta", "5", "--rise-window", "0.05:0.051"});
    EXPECT_NE(narrow.out.find("Initial rise  not applicable: too few points"), std::string::npos)
        << narrow.out;
}

TEST_F(MethodsCommand, HeatingRatesPairWithTheirFiles) {
    const Outcome run = Methods(
        {"--beta", "2", Peak(2), Peak(5), "--beta", "5", "--beta", "20", Peak(20), "--json"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NEAR(NumberAfter(run.out, "\"heating_rate\":{\"Et_eV\":{\"value\":"), 0.5, 0.002)
        << run.out;
    EXPECT_NEAR(NumberAfter(run.out, "\"Vt_Hz\":{\"value\":"), 1e10, 0.05e10);

    const Outcome sameRate =
        Methods({"--beta", "5", Peak(5), "--beta", "5", Peak(5, 30), "--json"});
    EXPECT_NE(sameRate.out.find("\"heating_rate\":\"the heating rates are equal"),
              std::string::npos)
        << sameRate.out;
}

TEST_F(MethodsCommand, RefusedInputExitsWithTwo) {
    const std::string file = Peak(5);
    const Outcome missing = Methods({(dir_ / "absent.csv").string(), "--beta", "5"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("absent.csv"), std::string::npos) << missing.err;

    for (const std::vector<std::string>& args : {std::vector<std::string>{file},
                                                 {file, "--beta", "0"},
                                                 {file, "--beta", "5", file},
                                                 {file, "--beta", "5", "--rise-window", "0.1:0.01"},
                                                 {file, "--beta", "5", "--range", "3"},
                                                 {file, "--beta", "x5"},
                                                 {file, "--beta", "5e-324"}}) {
        const Outcome run = Methods(args);
        EXPECT_EQ(run.code, 2) << args.size();
        EXPECT_TRUE(run.out.empty());
    }

    const Outcome rising = Methods({Peak(5, -5), "--beta", "5", "--json"});
    EXPECT_EQ(rising.code, 2);
    EXPECT_NE(rising.out.find("\"Tm_K\":null"), std::string::npos) << rising.out;
    const Outcome series = Methods({"--beta", "5", Peak(5, -5), "--beta", "2", Peak(2), "--json"});
    EXPECT_NE(series.out.find("\"heating_rate\":null"), std::string::npos) << series.out;
}

// Fit and methods read --beta alike: blanks around the number, and a unit.
TEST_F(MethodsCommand, HeatingRateInKelvinPerSecondIsSixtyPerMinute) {
    const std::string file = Peak(60);
    const Outcome perSecond = Methods({file, "--beta", "1K/s"});
    EXPECT_EQ(perSecond.code, 0) << perSecond.err;
    EXPECT_NE(perSecond.out.find(" at 60 K/min (1 K/s)\n"), std::string::npos) << perSecond.out;
    EXPECT_EQ(Methods({file, "--beta", "1K/s", "--json"}).out,
              Methods({file, "--beta", " 60", "--json"}).out);
}

// The picture is drawn by tsccurve-plot (plot_tests); what is refused before.
TEST_F(MethodsCommand, PlotIsRefusedForTwoCurvesOrWithoutThePictureProgram) {
    const std::string png = (dir_ / "methods.png").string();
    EXPECT_EQ(Methods({Peak(5), "--beta", "5", Peak(2), "--beta", "2", "--plot", png}).code, 2);
    if (!PlotAvailable()) {
        const Outcome run = Methods({Peak(5), "--beta", "5", "--plot", png});
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find("--plot needs tsccurve built with the window program"),
                  std::string::npos);
    }
}

}  // namespace
