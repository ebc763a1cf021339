#pragma once

#include <gtest/gtest.h>

#include "method_refusal.h"

// A method's value, failing the test where it was refused.
template <class T>
const T& Value(const tsc::analysis::Outcome<T>& outcome) {
    if (const tsc::analysis::MethodRefusal* refusal = tsc::analysis::Refused(outcome)) {
        ADD_FAILURE() << "refused: " << tsc::analysis::DescribeRefusal(*refusal);
        static const T none{};
        return none;
    }
    return std::get<T>(outcome);
}

// Why a method was refused, failing the test where it was applied.
template <class T>
tsc::analysis::RefusalReason Reason(const tsc::analysis::Outcome<T>& outcome) {
    const tsc::analysis::MethodRefusal* refusal = tsc::analysis::Refused(outcome);
    EXPECT_NE(refusal, nullptr);
    return refusal ? refusal->reason : tsc::analysis::RefusalReason{};
}
