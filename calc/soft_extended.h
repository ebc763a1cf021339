#pragma once

// The extended format in software: a 64-bit significand with an explicit
// leading bit and a 15-bit exponent, exactly the values of the x87 extended
// format including its subnormals. Every operation rounds to nearest, ties to
// even, once. It stands in for long double on machines whose long double is
// some other format, so that the calculation gives the same bits everywhere.

#include <cstdint>

namespace tsc {

class SoftExtended {
  public:
    // Positive zero.
    constexpr SoftExtended() = default;

    // Exact: every binary64 value is an extended value.
    explicit SoftExtended(double value);

    // Correctly rounded to binary64, with subnormal results, infinities on
    // overflow and NaN kept a NaN.
    explicit operator double() const;

    // The ten bytes of the x87 encoding: sign and biased exponent, then the
    // significand with its explicit leading bit. Only canonical encodings are
    // accepted (the leading bit is set exactly when the exponent is not 0).
    static SoftExtended FromBits(std::uint16_t signAndExponent, std::uint64_t significand);
    std::uint16_t SignAndExponentBits() const;
    std::uint64_t SignificandBits() const;

    // sign * (magnitude + f) * 2^exponent rounded once to the format, where
    // f is 0 when `inexact` is false and lies strictly between 0 and 1
    // otherwise. When `inexact` is set, magnitude must have at least 66
    // significant bits, so that f only breaks ties.
    static SoftExtended Round(bool negative, int exponent, unsigned __int128 magnitude,
                              bool inexact);

    bool IsNaN() const { return kind_ == Kind::NaN; }

    friend SoftExtended operator+(SoftExtended a, SoftExtended b);
    friend SoftExtended operator-(SoftExtended a, SoftExtended b);
    friend SoftExtended operator*(SoftExtended a, SoftExtended b);
    friend SoftExtended operator/(SoftExtended a, SoftExtended b);
    friend SoftExtended operator-(SoftExtended a) {
        a.negative_ = !a.negative_;
        return a;
    }

    friend bool operator==(SoftExtended a, SoftExtended b) { return Compare(a, b) == 0; }
    friend bool operator!=(SoftExtended a, SoftExtended b) { return !(a == b); }
    friend bool operator<(SoftExtended a, SoftExtended b) { return Compare(a, b) == -1; }
    friend bool operator>(SoftExtended a, SoftExtended b) { return Compare(a, b) == 1; }
    friend bool operator<=(SoftExtended a, SoftExtended b) {
        const int order = Compare(a, b);
        return order == -1 || order == 0;
    }
    friend bool operator>=(SoftExtended a, SoftExtended b) {
        const int order = Compare(a, b);
        return order == 1 || order == 0;
    }

  private:
    enum class Kind : std::uint8_t { Zero, Finite, Infinite, NaN };

    // -1, 0, 1 for less, equal, greater; 2 when either is a NaN.
    static int Compare(SoftExtended a, SoftExtended b);
    static SoftExtended Special(Kind kind, bool negative, std::uint64_t significand = 0);
    static SoftExtended DefaultNaN();
    static SoftExtended PropagateNaN(SoftExtended a, SoftExtended b);
    static SoftExtended AddMagnitudes(SoftExtended a, SoftExtended b, bool subtract);

    // A finite value is significand_ * 2^exponent_ with the top bit of
    // significand_ set; subnormals of the format are kept normalized too. A
    // NaN keeps its payload in significand_.
    std::uint64_t significand_ = 0;
    std::int32_t exponent_ = 0;
    bool negative_ = false;
    Kind kind_ = Kind::Zero;
};

}  // namespace tsc
