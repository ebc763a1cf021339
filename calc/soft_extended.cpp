#include "soft_extended.h"

#include <bit>
#include <utility>

namespace tsc {

namespace {

using U128 = unsigned __int128;

constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 62;

// The extended format: a value m * 2^e with m < 2^64; normal numbers have
// the top bit of m set and 2^-16382 <= value < 2^16384.
constexpr int kExtendedDigits = 64;
constexpr int kExtendedMaxTopBit = 16383;  // weight of the top bit of the largest value

constexpr int kDoubleDigits = 53;
constexpr int kDoubleMinExponent = -1074;
constexpr int kDoubleMaxTopBit = 1023;

// A biased exponent minus these is the weight of the last significand bit.
constexpr int kDoubleLastBitBias = kDoubleMaxTopBit + kDoubleDigits - 1;
constexpr int kExtendedLastBitBias = kExtendedMaxTopBit + kExtendedDigits - 1;
// Weight of the last bit of the extended subnormals (biased exponent 1).
constexpr int kExtendedMinExponent = 1 - kExtendedLastBitBias;

int BitWidth(U128 value) {
    const auto high = static_cast<std::uint64_t>(value >> 64);
    return high != 0 ? 64 + std::bit_width(high)
                     : std::bit_width(static_cast<std::uint64_t>(value));
}

// The outcome of rounding to a binary format with `digits` significant bits.
struct Rounded {
    std::uint64_t significand;  // below 2^digits; 0 means the result is zero
    int exponent;               // weight of the significand's last bit
    bool overflow;
};

// Rounds (magnitude + f) * 2^exponent, f as in SoftExtended::Round, to nearest
// even with `digits` bits, gradual underflow below 2^minExponent's
// granularity and overflow above a top bit of weight maxTopBit.
Rounded RoundTo(int digits, int minExponent, int maxTopBit, int exponent, U128 magnitude,
                bool inexact) {
    int shift = BitWidth(magnitude) - digits;
    if (exponent + shift < minExponent) shift = minExponent - exponent;
    // Wide enough to hold the carry out of a full 64-bit significand.
    U128 kept;
    if (shift <= 0) {
        // Exact unless `inexact`, which callers only set with enough bits to
        // make shift positive.
        kept = magnitude << -shift;
    } else if (shift > 128) {
        kept = 0;  // below a quarter of the smallest step: rounds to zero
    } else {
        kept = shift == 128 ? 0 : magnitude >> shift;
        const U128 rest = shift == 128 ? magnitude : magnitude & ((U128{1} << shift) - 1);
        const U128 half = U128{1} << (shift - 1);
        if (rest > half || (rest == half && (inexact || (kept & 1) != 0))) {
            ++kept;
            if (kept == U128{1} << digits) {
                kept >>= 1;
                ++shift;
            }
        }
    }
    const int resultExponent = exponent + shift;
    const bool overflow = kept != 0 && resultExponent + BitWidth(kept) - 1 > maxTopBit;
    return {static_cast<std::uint64_t>(kept), resultExponent, overflow};
}

}  // namespace

SoftExtended SoftExtended::Special(Kind kind, bool negative, std::uint64_t significand) {
    SoftExtended value;
    value.kind_ = kind;
    value.negative_ = negative;
    value.significand_ = significand;
    return value;
}

// What the x87 unit produces for an invalid operation: a negative quiet NaN.
SoftExtended SoftExtended::DefaultNaN() { return Special(Kind::NaN, true, kTopBit | kQuietBit); }

// One NaN operand is passed on quieted; of two, the one with the larger
// payload, as the x87 unit does.
SoftExtended SoftExtended::PropagateNaN(SoftExtended a, SoftExtended b) {
    SoftExtended chosen = a;
    if (!a.IsNaN() || (b.IsNaN() && (b.significand_ | kQuietBit) > (a.significand_ | kQuietBit))) {
        chosen = b;
    }
    chosen.significand_ |= kQuietBit;
    return chosen;
}

SoftExtended SoftExtended::Round(bool negative, int exponent, U128 magnitude, bool inexact) {
    if (magnitude == 0) return Special(Kind::Zero, negative);
    const Rounded r = RoundTo(kExtendedDigits, kExtendedMinExponent, kExtendedMaxTopBit, exponent,
                              magnitude, inexact);
    if (r.overflow) return Special(Kind::Infinite, negative);
    if (r.significand == 0) return Special(Kind::Zero, negative);
    const int normalize = std::countl_zero(r.significand);
    SoftExtended value = Special(Kind::Finite, negative, r.significand << normalize);
    value.exponent_ = r.exponent - normalize;
    return value;
}

SoftExtended::SoftExtended(double number) {
    const auto bits = std::bit_cast<std::uint64_t>(number);
    negative_ = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        kind_ = fraction == 0 ? Kind::Infinite : Kind::NaN;
        significand_ = fraction == 0 ? 0 : kTopBit | kQuietBit | (fraction << 11);
    } else if (biased == 0 && fraction == 0) {
        kind_ = Kind::Zero;
    } else {
        kind_ = Kind::Finite;
        const std::uint64_t whole = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
        const int normalize = std::countl_zero(whole);
        significand_ = whole << normalize;
        exponent_ = (biased == 0 ? 1 : biased) - kDoubleLastBitBias - normalize;
    }
}

SoftExtended::operator double() const {
    const std::uint64_t sign = negative_ ? kTopBit : 0;
    switch (kind_) {
        case Kind::Zero:
            return std::bit_cast<double>(sign);
        case Kind::Infinite:
            return std::bit_cast<double>(sign | 0x7FF0000000000000);
        case Kind::NaN:
            return std::bit_cast<double>(sign | 0x7FF8000000000000 |
                                         ((significand_ >> 11) & ((std::uint64_t{1} << 52) - 1)));
        case Kind::Finite:
            break;
    }
    const Rounded r = RoundTo(kDoubleDigits, kDoubleMinExponent, kDoubleMaxTopBit, exponent_,
                              significand_, false);
    if (r.overflow) return std::bit_cast<double>(sign | 0x7FF0000000000000);
    std::uint64_t bits = sign;
    if (r.significand >= std::uint64_t{1} << 52) {
        const auto biased = static_cast<std::uint64_t>(r.exponent + kDoubleLastBitBias);
        bits |= (biased << 52) | (r.significand & ((std::uint64_t{1} << 52) - 1));
    } else {
        bits |= r.significand;  // subnormal or zero: the exponent is the smallest
    }
    return std::bit_cast<double>(bits);
}

SoftExtended SoftExtended::FromBits(std::uint16_t signAndExponent, std::uint64_t significand) {
    const bool negative = (signAndExponent & 0x8000) != 0;
    const int biased = signAndExponent & 0x7FFF;
    if (biased == 0x7FFF) {
        return (significand << 1) == 0 ? Special(Kind::Infinite, negative)
                                       : Special(Kind::NaN, negative, significand);
    }
    if (significand == 0) return Special(Kind::Zero, negative);
    const int normalize = std::countl_zero(significand);
    SoftExtended value = Special(Kind::Finite, negative, significand << normalize);
    value.exponent_ = (biased == 0 ? 1 : biased) - kExtendedLastBitBias - normalize;
    return value;
}

std::uint16_t SoftExtended::SignAndExponentBits() const {
    const std::uint16_t sign = negative_ ? 0x8000 : 0;
    switch (kind_) {
        case Kind::Zero:
            return sign;
        case Kind::Infinite:
        case Kind::NaN:
            return sign | 0x7FFF;
        case Kind::Finite:
            break;
    }
    const int biased = exponent_ + kExtendedLastBitBias;
    return sign | static_cast<std::uint16_t>(biased < 1 ? 0 : biased);
}

std::uint64_t SoftExtended::SignificandBits() const {
    switch (kind_) {
        case Kind::Zero:
            return 0;
        case Kind::Infinite:
            return kTopBit;
        case Kind::NaN:
            return significand_;
        case Kind::Finite:
            break;
    }
    const int biased = exponent_ + kExtendedLastBitBias;
    return biased < 1 ? significand_ >> (1 - biased) : significand_;
}

int SoftExtended::Compare(SoftExtended a, SoftExtended b) {
    if (a.IsNaN() || b.IsNaN()) return 2;
    if (a.kind_ == Kind::Zero && b.kind_ == Kind::Zero) return 0;
    // Order the magnitudes, then let the signs decide.
    auto rank = [](const SoftExtended& x) { return static_cast<int>(x.kind_); };
    int magnitude = 0;
    if (rank(a) != rank(b)) {
        magnitude = rank(a) < rank(b) ? -1 : 1;
    } else if (a.kind_ == Kind::Finite) {
        if (a.exponent_ != b.exponent_) {
            magnitude = a.exponent_ < b.exponent_ ? -1 : 1;
        } else if (a.significand_ != b.significand_) {
            magnitude = a.significand_ < b.significand_ ? -1 : 1;
        }
    }
    const bool aNegative = a.negative_ && a.kind_ != Kind::Zero;
    const bool bNegative = b.negative_ && b.kind_ != Kind::Zero;
    if (aNegative != bNegative) return aNegative ? -1 : 1;
    return aNegative ? -magnitude : magnitude;
}

// a + b, or a - b when `subtract`; neither is a NaN.
SoftExtended SoftExtended::AddMagnitudes(SoftExtended a, SoftExtended b, bool subtract) {
    if (subtract) b.negative_ = !b.negative_;
    if (a.kind_ == Kind::Infinite || b.kind_ == Kind::Infinite) {
        if (a.kind_ == Kind::Infinite && b.kind_ == Kind::Infinite && a.negative_ != b.negative_) {
            return DefaultNaN();
        }
        return a.kind_ == Kind::Infinite ? a : b;
    }
    if (a.kind_ == Kind::Zero && b.kind_ == Kind::Zero) {
        return Special(Kind::Zero, a.negative_ && b.negative_);
    }
    if (b.kind_ == Kind::Zero) return a;
    if (a.kind_ == Kind::Zero) return b;

    if (a.exponent_ < b.exponent_) std::swap(a, b);
    // Both significands with 62 spare bits below, the smaller one shifted into
    // line; what drops out of it only matters as "something nonzero".
    const int exponent = a.exponent_ - 62;
    const U128 large = U128{a.significand_} << 62;
    U128 small = U128{b.significand_} << 62;
    const int distance = a.exponent_ - b.exponent_;
    bool inexact = false;
    if (distance >= 126) {
        small = 0;
        inexact = true;
    } else if (distance > 0) {
        inexact = (small & ((U128{1} << distance) - 1)) != 0;
        small >>= distance;
    }
    if (a.negative_ == b.negative_) return Round(a.negative_, exponent, large + small, inexact);
    if (large == small) return Special(Kind::Zero, false);  // x - x is +0
    if (large > small) {
        // large - (small + f) = (large - small - 1) + (1 - f)
        return Round(a.negative_, exponent, large - small - (inexact ? 1 : 0), inexact);
    }
    return Round(b.negative_, exponent, small - large, false);  // only when aligned exactly
}

SoftExtended operator+(SoftExtended a, SoftExtended b) {
    if (a.IsNaN() || b.IsNaN()) return SoftExtended::PropagateNaN(a, b);
    return SoftExtended::AddMagnitudes(a, b, false);
}

SoftExtended operator-(SoftExtended a, SoftExtended b) {
    if (a.IsNaN() || b.IsNaN()) return SoftExtended::PropagateNaN(a, b);
    return SoftExtended::AddMagnitudes(a, b, true);
}

SoftExtended operator*(SoftExtended a, SoftExtended b) {
    using Kind = SoftExtended::Kind;
    if (a.IsNaN() || b.IsNaN()) return SoftExtended::PropagateNaN(a, b);
    const bool negative = a.negative_ != b.negative_;
    if (a.kind_ == Kind::Infinite || b.kind_ == Kind::Infinite) {
        if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero) return SoftExtended::DefaultNaN();
        return SoftExtended::Special(Kind::Infinite, negative);
    }
    if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero) {
        return SoftExtended::Special(Kind::Zero, negative);
    }
    return SoftExtended::Round(negative, a.exponent_ + b.exponent_,
                               U128{a.significand_} * b.significand_, false);
}

SoftExtended operator/(SoftExtended a, SoftExtended b) {
    using Kind = SoftExtended::Kind;
    if (a.IsNaN() || b.IsNaN()) return SoftExtended::PropagateNaN(a, b);
    const bool negative = a.negative_ != b.negative_;
    if (a.kind_ == Kind::Infinite) {
        if (b.kind_ == Kind::Infinite) return SoftExtended::DefaultNaN();
        return SoftExtended::Special(Kind::Infinite, negative);
    }
    if (b.kind_ == Kind::Infinite) return SoftExtended::Special(Kind::Zero, negative);
    if (b.kind_ == Kind::Zero) {
        if (a.kind_ == Kind::Zero) return SoftExtended::DefaultNaN();
        return SoftExtended::Special(Kind::Infinite, negative);
    }
    if (a.kind_ == Kind::Zero) return SoftExtended::Special(Kind::Zero, negative);

    // A quotient of 64 or 65 bits, two more from the remainder, and whether
    // anything is left after those.
    const U128 numerator = U128{a.significand_} << 64;
    const U128 quotient = numerator / b.significand_;
    const U128 remainder = (numerator % b.significand_) << 2;
    const U128 extra = remainder / b.significand_;
    const bool inexact = remainder % b.significand_ != 0;
    return SoftExtended::Round(negative, a.exponent_ - b.exponent_ - 66, (quotient << 2) | extra,
                               inexact);
}

}  // namespace tsc
