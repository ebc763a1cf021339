#pragma once

#include <array>

// The sample the help window quotes, as typed into Edit1 to Edit8, and the
// peak fields' texts after one calculation of it.
inline constexpr std::array<const char*, 8> kSampleTexts = {"0.8", "1e8", "1e13", "200",
                                                            "400", "2",   "1",    "0.2"};
inline constexpr char kSamplePeakT[] = "375.79999999999";
inline constexpr char kSamplePeakI[] = "1.26344583984677E-11";
