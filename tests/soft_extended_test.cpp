// The software extended type against the x87 unit, operation by operation,
// on millions of operands chosen to reach every rounding case: random
// encodings, widened binary64 values, exact and near ties, operands a whole
// significand apart, results that overflow or fall into the subnormals, and
// the special values. Every result must have the same encoding (a NaN only
// has to be a NaN).
#include "soft_extended.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "long_double_format.h"

#if defined(TSC_LONG_DOUBLE_IS_EXTENDED) && defined(__x86_64__)
#define TSC_HAVE_X87_LONG_DOUBLE 1
#endif

namespace {

#if defined(TSC_HAVE_X87_LONG_DOUBLE)

using tsc::SoftExtended;

struct Encoding {
    std::uint16_t signAndExponent;
    std::uint64_t significand;
};

bool operator==(Encoding a, Encoding b) {
    return a.signAndExponent == b.signAndExponent && a.significand == b.significand;
}

std::ostream& operator<<(std::ostream& out, Encoding e) {
    return out << std::hex << e.signAndExponent << ":" << e.significand << std::dec;
}

bool IsNaN(Encoding e) {
    return (e.signAndExponent & 0x7FFF) == 0x7FFF && (e.significand << 1) != 0;
}

SoftExtended Soft(Encoding e) { return SoftExtended::FromBits(e.signAndExponent, e.significand); }
Encoding Of(SoftExtended x) { return {x.SignAndExponentBits(), x.SignificandBits()}; }

// Operands for one pair; `kind` picks how they relate.
class Operands {
  public:
    explicit Operands(std::uint64_t seed) : random_(seed) {}

    Encoding Any() {
        const auto exponent = static_cast<std::uint16_t>(Uniform(0, 0x7FFE));
        return Make(Sign() | exponent, Bits());
    }

    Encoding WithExponent(int unbiased, std::uint64_t significand) {
        int biased = unbiased + 16383;
        if (biased < 1) {
            // Subnormal: shift the significand down to the fixed exponent.
            const int shift = 1 - biased;
            significand = shift >= 64 ? 1 : significand >> shift;
            biased = 0;
        }
        if (biased > 0x7FFE) biased = 0x7FFE;
        return Make(Sign() | static_cast<std::uint16_t>(biased), significand);
    }

    // Significands that make ties and near ties when lined up with others.
    std::uint64_t Structured() {
        const std::uint64_t top = std::uint64_t{1} << 63;
        switch (Uniform(0, 5)) {
            case 0:
                return top;
            case 1:
                return top | 1;
            case 2:
                return ~std::uint64_t{0};
            case 3:
                return top | (std::uint64_t{1} << Uniform(0, 62));
            case 4:
                return (Bits() | top) & ~((std::uint64_t{1} << Uniform(0, 63)) - 1);
            default:
                return Bits() | top;
        }
    }

    Encoding Special() {
        const Encoding specials[] = {
            {0x0000, 0},
            {0x8000, 0},
            {0x7FFF, std::uint64_t{1} << 63},
            {0xFFFF, std::uint64_t{1} << 63},
            {0x7FFF, 0xC000000000000000},
            {0xFFFF, 0xC000000000000123},
            {0x0000, 1},
            {0x0000, 0x7FFFFFFFFFFFFFFF},
            {0x0001, std::uint64_t{1} << 63},
            {0x7FFE, ~std::uint64_t{0}},
            {0x3FFF, std::uint64_t{1} << 63},
        };
        Encoding e = specials[Uniform(0, std::size(specials) - 1)];
        e.signAndExponent ^= Sign();
        return e;
    }

    Encoding WidenedDouble() {
        double d;
        const std::uint64_t bits = Bits();
        std::memcpy(&d, &bits, sizeof d);
        return Of(SoftExtended(d));
    }

    int Uniform(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    std::uint64_t Bits() { return random_(); }
    std::uint16_t Sign() { return (random_() & 1) ? 0x8000 : 0; }

  private:
    static Encoding Make(std::uint16_t signAndExponent, std::uint64_t significand) {
        const std::uint64_t top = std::uint64_t{1} << 63;
        if ((signAndExponent & 0x7FFF) == 0) return {signAndExponent, significand & ~top};
        return {signAndExponent, significand | top};
    }

    std::mt19937_64 random_;
};

enum class Op { Add, Subtract, Multiply, Divide };

long double Native(Encoding e) {
    long double x = 0;
    std::memcpy(&x, &e.significand, 8);
    std::memcpy(reinterpret_cast<char*>(&x) + 8, &e.signAndExponent, 2);
    return x;
}

Encoding Of(long double x) {
    Encoding e;
    std::memcpy(&e.significand, &x, 8);
    std::memcpy(&e.signAndExponent, reinterpret_cast<const char*>(&x) + 8, 2);
    return e;
}

// A pair of operands that stresses `op`.
std::pair<Encoding, Encoding> PairFor(Op op, Operands& g) {
    const int kind = g.Uniform(0, 9);
    if (kind == 0) return {g.Any(), g.Any()};
    if (kind == 1) return {g.WidenedDouble(), g.WidenedDouble()};
    if (kind == 2) return {g.Special(), g.Uniform(0, 1) ? g.Special() : g.Any()};
    const int ea = g.Uniform(-16000, 16000);
    if (op == Op::Add || op == Op::Subtract) {
        // Exponents close together: ties, carries and cancellation.
        const int eb = ea - g.Uniform(-2, 70);
        return {g.WithExponent(ea, g.Structured()), g.WithExponent(eb, g.Structured())};
    }
    if (kind <= 5) {
        return {g.WithExponent(ea, g.Structured()),
                g.WithExponent(g.Uniform(-16000, 16000), g.Structured())};
    }
    // Results at the ends of the range: overflow, the smallest normals and
    // the subnormals.
    const int edge = g.Uniform(0, 1) ? -16382 - g.Uniform(-3, 70) : 16383 + g.Uniform(-3, 3);
    const int eb = op == Op::Multiply ? edge - ea : ea - edge;
    return {g.WithExponent(ea, g.Structured()), g.WithExponent(eb, g.Structured())};
}

void ExpectSameResults(Op op, std::uint64_t seed) {
    Operands g(seed);
    int failures = 0;
    for (int i = 0; i < 2'000'000 && failures < 10; ++i) {
        const auto [a, b] = PairFor(op, g);
        long double expected = 0;
        SoftExtended actual;
        switch (op) {
            case Op::Add:
                expected = Native(a) + Native(b), actual = Soft(a) + Soft(b);
                break;
            case Op::Subtract:
                expected = Native(a) - Native(b), actual = Soft(a) - Soft(b);
                break;
            case Op::Multiply:
                expected = Native(a) * Native(b), actual = Soft(a) * Soft(b);
                break;
            case Op::Divide:
                expected = Native(a) / Native(b), actual = Soft(a) / Soft(b);
                break;
        }
        const Encoding want = Of(expected);
        const Encoding got = Of(actual);
        const bool same = IsNaN(want) ? actual.IsNaN() : want == got;
        if (!same) {
            ++failures;
            ADD_FAILURE() << "operands " << a << " " << b << ": want " << want << " got " << got;
        }
    }
}

TEST(SoftExtended, AddsLikeTheX87Unit) { ExpectSameResults(Op::Add, 1); }
TEST(SoftExtended, SubtractsLikeTheX87Unit) { ExpectSameResults(Op::Subtract, 2); }
TEST(SoftExtended, MultipliesLikeTheX87Unit) { ExpectSameResults(Op::Multiply, 3); }
TEST(SoftExtended, DividesLikeTheX87Unit) { ExpectSameResults(Op::Divide, 4); }

TEST(SoftExtended, WidensAndNarrowsLikeTheX87Unit) {
    Operands g(5);
    int failures = 0;
    for (int i = 0; i < 2'000'000 && failures < 10; ++i) {
        // Widening: every binary64 encoding, NaNs included.
        double d;
        const std::uint64_t bits = g.Bits();
        std::memcpy(&d, &bits, sizeof d);
        const Encoding widened = Of(SoftExtended(d));
        if (!(IsNaN(widened) ? IsNaN(Of(static_cast<long double>(d)))
                             : widened == Of(static_cast<long double>(d)))) {
            ++failures;
            ADD_FAILURE() << "widening " << bits;
        }

        // Narrowing: values across and beyond the binary64 range, with the
        // bits below the binary64 cut set to ties and near ties.
        const int exponent = g.Uniform(-1140, 1026);
        std::uint64_t significand = g.Bits() | (std::uint64_t{1} << 63);
        const int cut = std::max(11, -1074 - (exponent - 63));
        if (cut < 64 && g.Uniform(0, 1)) {
            const std::uint64_t half = std::uint64_t{1} << (cut - 1);
            const std::uint64_t patterns[] = {half, half - 1, half + 1, 0};
            significand = (significand & ~((half << 1) - 1)) | patterns[g.Uniform(0, 3)];
        }
        const Encoding x =
            g.Uniform(0, 20) == 0 ? g.Special() : g.WithExponent(exponent, significand);
        const double want = static_cast<double>(Native(x));
        const double got = static_cast<double>(Soft(x));
        if (!(std::isnan(want) ? std::isnan(got) : std::memcmp(&want, &got, sizeof want) == 0)) {
            ++failures;
            ADD_FAILURE() << "narrowing " << x;
        }
    }
}

TEST(SoftExtended, ComparesAndNegatesLikeTheX87Unit) {
    Operands g(6);
    for (int i = 0; i < 1'000'000; ++i) {
        const auto [a, b] = PairFor(static_cast<Op>(i % 2), g);
        const long double x = Native(a), y = Native(b);
        const SoftExtended p = Soft(a), q = Soft(b);
        const bool want[] = {x == y, x != y, (x < y), x <= y, (x > y), x >= y};
        const bool got[] = {p == q, p != q, (p < q), p <= q, (p > q), p >= q};
        ASSERT_TRUE(std::equal(std::begin(want), std::end(want), std::begin(got))) << a << " " << b;
        if (!IsNaN(a)) {
            ASSERT_EQ(Of(-x), Of(-p)) << a;
        }
    }
}

#else

TEST(SoftExtended, ComparedWithTheX87Unit) {
    GTEST_SKIP() << "long double is not the x87 format here; nothing to compare with";
}

#endif

}  // namespace
