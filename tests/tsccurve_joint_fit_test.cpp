// tsccurve fit of several heating rates: the pairing of --beta and FILE,
// what the reports carry, and the refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "run_tsccurve.h"

namespace {

std::string TempPath(const std::string& name) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return (std::filesystem::temp_directory_path() / ("tsccurve_joint_" + test + "_" + name))
        .string();
}

// One level (0.5 eV, 1e10 Hz, 1e12 cm^-2, 1 mm^2) at this rate, as the
// standard model's CSV from tsccurve itself.
std::string CurveAt(const std::string& beta, const std::string& name = "") {
    const Outcome curve =
        RunTool({"--model", "standard", "0.5", "1e10", "1e12", "120", "260", beta, "1", "0.25"});
    EXPECT_EQ(curve.code, 0);
    const std::string path = TempPath(beta + name + ".csv");
    std::ofstream(path, std::ios::binary) << curve.out;
    return path;
}

double After(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    EXPECT_NE(at, std::string::npos) << key;
    return at == std::string::npos ? 0 : std::stod(text.substr(at + key.size()));
}

TEST(TsccurveJointFit, ThreeRatesTogetherInEveryReport) {
    const std::string slow = CurveAt("2"), middle = CurveAt("5"), fast = CurveAt("20");
    const std::string csv = TempPath("out.csv");
    const std::vector<std::string> curves = {"fit",  "--beta", "2",  slow, "--beta", "5",
                                             middle, "--beta", "20", fast, "--area", "1"};
    std::vector<std::string> json = curves;
    json.insert(json.end(), {"--json", "--curve", csv});
    const Outcome j = RunTool(json);
    ASSERT_EQ(j.code, 0) << j.err;
    EXPECT_NEAR(After(j.out, "\"Et_eV\":{\"value\":") / 0.5, 1, 1e-4);
    EXPECT_NEAR(After(j.out, "\"Vt_Hz\":{\"value\":") / 1e10, 1, 1e-3);
    // The curves in the order given, each with its own values.
    std::size_t at = j.out.find("\"curves\":[");
    for (const auto& [file, beta] : {std::pair{slow, "2.0"}, {middle, "5.0"}, {fast, "20.0"}}) {
        at = j.out.find("{\"file\":\"" + file + "\",\"beta_K_per_min\":" + beta, at);
        ASSERT_NE(at, std::string::npos) << file << "\n" << j.out;
        for (const char* key : {"\"fom_percent\":", "\"Tm_K\":", "\"Im\":", "\"Nt_cm2\":"}) {
            EXPECT_NE(j.out.find(key, at), std::string::npos) << key;
        }
    }
    std::ifstream written(csv);
    std::string header;
    std::getline(written, header);
    EXPECT_EQ(header.rfind("T_K_1,I_measured_A_1,I_fitted_A_1,residual_A_1,T_K_2,", 0), 0u);
    EXPECT_NE(header.find(",residual_A_3"), std::string::npos);

    const Outcome text = RunTool(curves);
    EXPECT_EQ(text.code, 0) << text.err;
    for (const char* part :
         {"Fit of 3 curves at 2 K/min, 5 K/min and 20 K/min together", "shared by every curve",
          "curve 3: ", "overall FOM = ", "heating-rate method 0.5"}) {
        EXPECT_NE(text.out.find(part), std::string::npos) << part << "\n" << text.out;
    }
    for (const std::string& file : {slow, middle, fast, csv}) std::remove(file.c_str());
}

TEST(TsccurveJointFit, RefusedInputExitsWithTwoAndSaysWhy) {
    const std::string slow = CurveAt("2"), fast = CurveAt("20");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"fit", "--beta", "2", slow, "--shared", "Et,Vt,b"}, "give two or more"},
        {{"fit", "--beta", "2", slow, fast}, "each file needs its own --beta: 2 files, 1"},
        {{"fit", "--beta", "2", slow, "--beta", "2", fast}, "no information on νt"},
        {{"fit", "--beta", "20", slow, "--beta", "2", fast}, "must rise with the heating rate"},
        {{"fit", "--beta", "2", slow, "--beta", "20", fast, "--shared", "Et"},
         "takes Et,Vt,b (each"},
        {{"fit", "--beta", "2", slow, "--beta", "20", fast, "--model", "legacy"},
         "--model legacy fits one curve"},
    };
    for (const auto& c : cases) {
        const Outcome result = RunTool(c.args);
        EXPECT_EQ(result.code, 2) << c.message;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    // One rate twice is fitted where --shared asks for it.
    EXPECT_EQ(
        RunTool({"fit", "--beta", "2", slow, "--beta", "2", fast, "--shared", "Et,Vt,b"}).code, 0);
    std::remove(slow.c_str());
    std::remove(fast.c_str());
}

TEST(TsccurveJointFit, CurvesWithoutAPeakDoNotConverge) {
    std::string flat;
    for (int i = 0; i < 40; ++i) flat += std::to_string(200 + i) + " 0\n";
    const std::string a = TempPath("a.txt"), b = TempPath("b.txt");
    std::ofstream(a) << flat;
    std::ofstream(b) << flat;
    const Outcome fit = RunTool({"fit", "--beta", "2", a, "--beta", "5", b, "--json"});
    std::remove(a.c_str());
    std::remove(b.c_str());
    EXPECT_EQ(fit.code, 3) << fit.err;
    EXPECT_EQ(fit.out.rfind("{\"model\":\"standard\",\"converged\":false,\"failure\":", 0), 0u);
}

}  // namespace
