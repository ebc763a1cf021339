#pragma once

#include <boost/math/policies/policy.hpp>

namespace tsc::analysis {

// Boost.Math's special functions and root finders throw by default on a
// domain error, a pole, an overflow or a failed evaluation. The evaluation
// works with values: a NaN or an infinity that the caller checks, never an
// exception that could escape a fit.
using NoThrow = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::pole_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::rounding_error<boost::math::policies::ignore_error>,
    boost::math::policies::indeterminate_result_error<boost::math::policies::ignore_error>>;

}  // namespace tsc::analysis
