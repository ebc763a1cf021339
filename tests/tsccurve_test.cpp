#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "json_object.h"
#include "run_tsccurve.h"
#include "sample_values.h"

namespace {

const std::vector<std::string> kSample(kSampleTexts.begin(), kSampleTexts.end());

std::vector<std::string> With(std::vector<std::string> args, std::vector<std::string> params) {
    args.insert(args.end(), params.begin(), params.end());
    return args;
}

TEST(Tsccurve, PeakOfTheSample) {
    const Outcome result = RunTool(With({"--peak"}, kSample));
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, std::string(kSamplePeakT) + " " + kSamplePeakI + "\n");
    EXPECT_EQ(result.err, "");
}

TEST(Tsccurve, CsvHasAHeaderAndOneLinePerStep) {
    const Outcome result = RunTool(kSample);
    ASSERT_EQ(result.code, 0);
    EXPECT_EQ(result.out.rfind("T_K,Itsc_A\n200,1.10697111127504E-20\n200.2,", 0), 0u);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1002);
    EXPECT_EQ(result.out.find('\r'), std::string::npos);
    EXPECT_NE(result.out.find("\n208.799999999999,"), std::string::npos);
    EXPECT_EQ(result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1, 17),
              "399.999999999989,");
}

TEST(Tsccurve, ResultsAreTheSavedFileBytes) {
    const Outcome result = RunTool(With({"--results"}, kSample));
    ASSERT_EQ(result.code, 0);
    EXPECT_EQ(result.out.rfind("200\r\n1.10697111127504E-20\r\n\r\n200.2\r\n", 0), 0u);
    std::size_t lineEnds = 0;
    for (std::size_t at = result.out.find("\r\n"); at != std::string::npos;
         at = result.out.find("\r\n", at + 2)) {
        ++lineEnds;
    }
    EXPECT_EQ(lineEnds, 3003u);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 3003);
    EXPECT_TRUE(
        result.out.ends_with("399.999999999989\r\n" + result.out.substr(result.out.size() - 24)));
    EXPECT_TRUE(result.out.ends_with("\r\n\r\n"));
}

TEST(Tsccurve, NoStepGivesHeaderOnlyAndAnEmptyPeak) {
    const std::vector<std::string> backwards = {"0.8", "1e8", "1e13", "400",
                                                "200", "2",   "1",    "0.2"};
    EXPECT_EQ(RunTool(backwards).out, "T_K,Itsc_A\n");
    EXPECT_EQ(RunTool(With({"--results"}, backwards)).out, "");
    EXPECT_EQ(RunTool(With({"--peak"}, backwards)).out, "");  // no peak: nothing
}

TEST(Tsccurve, BadInputGoesToStderrWithNothingOnStdout) {
    std::vector<std::string> notANumber = kSample;
    notANumber[7] = "0,2";
    std::vector<std::string> refused = kSample;
    refused[5] = "0";
    for (const auto& args :
         {notANumber, refused, std::vector<std::string>{"1", "2"}, With({"--bogus"}, kSample)}) {
        const Outcome result = RunTool(args);
        EXPECT_EQ(result.code, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err, "");
    }
    EXPECT_NE(RunTool(notANumber).err.find("'0,2'"), std::string::npos);
    EXPECT_EQ(RunTool(refused).err, "tsccurve: Beta (K/min) must be greater than 0\n");
}

// The command line allows more steps than the window: 100,001 are past the
// window's limit, 1,000,001 past its own.
TEST(Tsccurve, StepLimitIsTheCommandLinesOwn) {
    const Outcome refused =
        RunTool({"--peak", "0.8", "1e8", "1e13", "1", "250001", "2", "1", "0.25"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("at most 1000000,"), std::string::npos) << refused.err;
    EXPECT_EQ(RunTool({"--peak", "0.8", "1e8", "1e13", "1", "25001", "2", "1", "0.25"}).code, 0);
}

// A buffer whose flush fails, as standard output does on a full disk.
struct FullDisk : std::stringbuf {
    int sync() override { return -1; }
};

TEST(Tsccurve, OutputThatCannotBeWrittenIsExitCode1WithAMessage) {
    for (const auto& args : {With({"--peak"}, kSample), std::vector<std::string>{"--help"}}) {
        FullDisk disk;
        std::ostream out(&disk);
        std::ostringstream err;
        EXPECT_EQ(RunTsccurve(args, out, err), 1) << args.front();
        EXPECT_EQ(err.str(), "tsccurve: the output could not be written\n");
    }
}

TEST(Tsccurve, HelpAndNegativeNumbers) {
    const Outcome help = RunTool({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: tsccurve"), std::string::npos);
    // A leading minus is a number, not an option; a negative energy is refused.
    const Outcome negative =
        RunTool({"--peak", "-0.8", "1e8", "1e13", "200", "400", "2", "1", "0.2"});
    EXPECT_EQ(negative.code, 2);
    EXPECT_EQ(negative.err, "tsccurve: Et (eV) must not be negative\n");
}

// The reports' numbers in JSON read back as the very same binary64 values,
// the smallest subnormal and the largest number included.
TEST(TsccurveJson, NumbersReadBackAsTheSameDouble) {
    for (const double value : {0.1, 1e-300, 5e-324, 1.7976931348623157e308, -2.5e-12, 1.0 / 3}) {
        const std::string text = JsonText(Json(value));
        const double back = std::strtod(text.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    }
    EXPECT_EQ(JsonText(JsonObject().AddNumber("x", 1.0 / 0.0).Done()),
              "{\"x\":null,\"why\":{\"x\":\"the value is not finite\"}}");
    // Bytes that are not UTF-8, as a file name may have, cannot break the JSON.
    EXPECT_EQ(JsonText(Json("a\xff")), "\"a\xef\xbf\xbd\"");
}

}  // namespace
