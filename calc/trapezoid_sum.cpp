#include "trapezoid_sum.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

// Why the chain can be summed without replaying it.
//
// Let Sum lie in the binade [2^b, 2^(b+1)), where binary64 values are
// multiples of u = 2^max(b-52, -1074) and extended values multiples of
// g = 2^(b-63). While the result stays below 2^(b+1), one step
//     Sum <- binary64(extended(t) + Sum)
// first rounds t to the grid g (Sum is a multiple of 2g, so its bits play no
// part, ties included), then rounds the result to the grid u. So the step
// adds a whole number m(t) of units u that depends on t and b alone, except
// when the first-rounded t lies exactly halfway between two units: then
// binary64's ties-to-even takes Sum's parity into account. In the normal
// range u/g is 2^11; among the subnormals u stays 2^-1074 while g keeps
// shrinking with the binade, so the ratio grows up to 2^63.
//
// Within a binade the chain is therefore a sum of integers, which can be
// added in any order: with the prefix sums of m over the trapezoids one run
// of additions costs a binary search. Only three kinds of step are done one
// at a time, exactly: the one that would leave the binade, a tie that is the
// first of its run (after a tie Sum is even, so the parity at every later tie
// of the run follows from the table alone), and the rare trapezoid that is
// negative, infinite or NaN. A Sum of +0 is a binade of its own: there the
// extended addition is exact, and only a trapezoid above 2^-1075 moves it.
//
// Every trapezoid of a calculation is >= 0, so Sum never decreases, within a
// calculation and from one to the next: each binade is entered once, and one
// table, extended by one trapezoid per outer step, is all that is kept.

namespace tsc {

namespace {

constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kInfinityBits = 0x7ff0000000000000;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;

constexpr int kExtendedBias = 16383;
constexpr int kExtendedLastBit = 63;  // weight of the significand's last bit, below the top
constexpr int kSmallestDoubleExponent = -1074;  // the binary64 spacing of the subnormals
constexpr int kSmallestNormalBinade = -1022;
constexpr int kZeroBinade = kSmallestDoubleExponent - 1;  // Sum is +0

// Prefix sums stop growing here. Each trapezoid adds at most 2^53 + 1 units,
// so a run that starts at most this far below the ceiling can tell a
// saturated prefix from one it may still reach.
constexpr std::uint64_t kSaturatedUnits = kTopBit;
constexpr std::uint64_t kLargestRunStart = kSaturatedUnits - (std::uint64_t{1} << 54);

struct Parts {
    std::uint64_t significand;  // value = significand * 2^exponent
    int exponent;
    bool special;  // negative (also -0), infinite or NaN
};

// The same split of the x87 encoding on every target.
Parts Decompose(Extended value) {
#if defined(TSC_EXTENDED_IN_SOFTWARE)
    const std::uint16_t signAndExponent = value.SignAndExponentBits();
    const std::uint64_t significand = value.SignificandBits();
#else
    static_assert(sizeof(long double) >= 10);
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof bytes);
    std::uint64_t significand;
    std::uint16_t signAndExponent;
    std::memcpy(&significand, bytes, sizeof significand);
    std::memcpy(&signAndExponent, bytes + sizeof significand, sizeof signAndExponent);
#endif
    const int biased = signAndExponent & 0x7fff;
    if ((signAndExponent >> 15) != 0 || biased == 0x7fff) return {0, 0, true};
    // Subnormals of the format have the exponent of the smallest normals.
    return {significand, std::max(biased, 1) - kExtendedBias - kExtendedLastBit, false};
}

// value / 2^shift rounded to nearest, ties to even; shift >= 1.
std::uint64_t RoundedShift(std::uint64_t value, int shift) {
    if (shift > 64) return 0;
    if (shift == 64) return value > kTopBit ? 1 : 0;
    const std::uint64_t kept = value >> shift;
    const std::uint64_t rest = value & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    return kept + static_cast<std::uint64_t>((rest > half) || (rest == half && (kept & 1) != 0));
}

}  // namespace

void TrapezoidSum::Append(Extended trapezoid) {
    const Parts parts = Decompose(trapezoid);
    if (parts.special) specials_.push_back(whole_.size());
    int topBit = parts.special ? INT_MAX : INT_MIN;
    if (parts.significand != 0) {
        topBit = parts.exponent + kExtendedLastBit - std::countl_zero(parts.significand);
    }
    if (!largestTopBit_.empty()) topBit = std::max(topBit, largestTopBit_.back());
    whole_.push_back(trapezoid);
    significand_.push_back(parts.significand);
    exponent_.push_back(parts.exponent);
    largestTopBit_.push_back(topBit);
}

double TrapezoidSum::AccumulateStepByStep(double sum, std::size_t count) const {
    for (std::size_t j = 0; j < count; ++j) sum = Narrow(whole_[j] + Widen(sum));
    return sum;
}

std::size_t TrapezoidSum::NextSpecial(std::size_t index) const {
    const auto found = std::lower_bound(specials_.begin(), specials_.end(), index);
    return found == specials_.end() ? SIZE_MAX : *found;
}

TrapezoidSum::BinadeTable& TrapezoidSum::TableFor(int binade, std::size_t count) {
    if (table_.prefix.empty() || table_.binade != binade) {
        // The binade left behind is never entered again: its storage is reused.
        BinadeTable& table = table_;
        table.binade = binade;
        const int unitExponent = std::max(binade - 52, kSmallestDoubleExponent);
        table.extendedGrid = binade - kExtendedLastBit;
        table.unitsShift = unitExponent - table.extendedGrid;
        table.limit = std::uint64_t{1} << (binade + 1 - unitExponent);
        // A trapezoid below a quarter unit rounds to no unit, and is no tie.
        table.firstUnit = static_cast<std::size_t>(
            std::lower_bound(largestTopBit_.begin(), largestTopBit_.end(), unitExponent - 2) -
            largestTopBit_.begin());
        table.prefix.assign(1, 0);
        table.ties.clear();
        table.afterLastTie = 0;
    }
    Extend(table_, count);
    return table_;
}

// The binary64 units trapezoid significand * 2^exponent adds to a +0 Sum:
// +0 + t is exact, and binary64 rounds it to 0 up to 2^-1075, the tie going
// to the even 0. One unit stands for any more.
static std::uint64_t UnitsOntoZero(std::uint64_t significand, int exponent) {
    if (significand == 0) return 0;
    const int top = exponent + kExtendedLastBit - std::countl_zero(significand);
    const bool powerOfTwo = (significand & (significand - 1)) == 0;
    return top > kZeroBinade || (top == kZeroBinade && !powerOfTwo);
}

void TrapezoidSum::Extend(BinadeTable& table, std::size_t count) const {
    const std::size_t built = table.Built();
    if (count <= built) return;
    table.prefix.resize(count - table.firstUnit + 1);
    std::uint64_t* const prefix = table.prefix.data();
    const std::size_t first = table.firstUnit;
    std::uint64_t before = prefix[built - first];
    const int extendedGrid = table.extendedGrid;
    const int unitsShift = table.unitsShift;
    // The units trapezoid j adds to a Sum in the binade: rounded first to the
    // extended grid, then to whole units; a tie when the first result lies
    // halfway between two units. Specials are stored as zero: runs never
    // reach them.
    const auto unitsIn = [&](std::size_t j, bool& tie) -> std::uint64_t {
        const std::uint64_t significand = significand_[j];
        const int dropped = extendedGrid - exponent_[j];
        std::uint64_t onGrid;
        if (dropped > 0 && dropped < 64) {
            const std::uint64_t kept = significand >> dropped;
            const std::uint64_t rest = significand << (64 - dropped);  // the dropped bits, on top
            // Branch-free: the comparisons are coin flips.
            onGrid = kept + (static_cast<std::uint64_t>(rest > kTopBit) |
                             (static_cast<std::uint64_t>(rest == kTopBit) & kept & 1));
        } else if (dropped > 0) {
            onGrid = RoundedShift(significand, dropped);
        } else if (dropped > -64 && (significand >> (63 + dropped) >> 1) == 0) {
            onGrid = significand << -dropped;
        } else {
            return table.limit;  // a whole binade or more: certainly leaves it
        }
        const std::uint64_t rest = onGrid << (64 - unitsShift);
        tie = rest == kTopBit;
        return (onGrid >> unitsShift) + static_cast<std::uint64_t>(rest > kTopBit);
    };
    for (std::size_t j = built; j < count; ++j) {
        bool tie = false;
        std::uint64_t units = table.binade == kZeroBinade
                                  ? UnitsOntoZero(significand_[j], exponent_[j])
                                  : unitsIn(j, tie);
        if (tie) [[unlikely]] {
            const std::uint64_t bonus = ((before - table.afterLastTie) + units) & 1;
            table.ties.push_back({j, units, bonus});
            units += bonus;
        }
        before = std::min(before + units, kSaturatedUnits);
        prefix[j + 1 - first] = before;
        if (tie) table.afterLastTie = before;
    }
}

// Adds trapezoids from `first` on while Sum (finite, >= +0) stays in its
// binade, then the one step that leaves it, or that must be done exactly;
// returns the index after the last trapezoid added.
std::size_t TrapezoidSum::AccumulateInBinade(double& sum, std::size_t first, std::size_t count) {
    const auto bits = std::bit_cast<std::uint64_t>(sum);
    int binade = kZeroBinade;
    std::uint64_t units = 0;  // Sum in units of the binade's binary64 spacing
    if ((bits >> 52) != 0) {
        binade = static_cast<int>(bits >> 52) - 1023;
        units = (bits & kFractionMask) | (kFractionMask + 1);
    } else if (bits != 0) {
        binade = std::bit_width(bits) - 1 + kSmallestDoubleExponent;
        units = bits;
    }
    const BinadeTable& table = TableFor(binade, count);
    const std::size_t stop = std::min(count, NextSpecial(first));

    // The furthest index in [from, end] to which Sum stays below the binade's
    // end, with no tie between `from` and it other than later ties of a run.
    auto advance = [&](std::size_t from, std::size_t end) {
        const std::uint64_t target = table.UnitsBefore(from) + (table.limit - units);
        if (table.UnitsBefore(end) < target) return end;
        const auto begin = table.prefix.begin();
        const auto low =
            begin + static_cast<std::ptrdiff_t>(std::max(from, table.firstUnit) - table.firstUnit);
        const auto high = begin + static_cast<std::ptrdiff_t>(end - table.firstUnit) + 1;
        return static_cast<std::size_t>(std::lower_bound(low, high, target) - begin) +
               table.firstUnit - 1;
    };

    std::size_t i = first;
    bool tieTaken = false;
    while (table.UnitsBefore(i) <= kLargestRunStart) {
        std::size_t end = stop;
        const Tie* tie = nullptr;
        if (!tieTaken) {
            const auto next =
                std::lower_bound(table.ties.begin(), table.ties.end(), i,
                                 [](const Tie& t, std::size_t index) { return t.index < index; });
            if (next != table.ties.end() && next->index < stop) {
                tie = &*next;
                end = tie->index;
            }
        }
        const std::size_t reached = advance(i, end);
        units += table.UnitsBefore(reached) - table.UnitsBefore(i);
        i = reached;
        if (reached < end || tie == nullptr) break;
        // The run's first tie: Sum's own parity decides it.
        const std::uint64_t tieUnits = tie->floor + ((units + tie->floor) & 1);
        if (units + tieUnits >= table.limit) break;
        units += tieUnits;
        ++i;
        tieTaken = true;
    }
    const int exponentField = std::max(binade, kSmallestNormalBinade) - kSmallestNormalBinade;
    sum = std::bit_cast<double>((static_cast<std::uint64_t>(exponentField) << 52) + units);
    if (i < count) {
        sum = Narrow(whole_[i] + Widen(sum));
        ++i;
    }
    return i;
}

double TrapezoidSum::Accumulate(double sum, std::size_t count) {
    std::size_t i = 0;
    while (i < count) {
        const auto bits = std::bit_cast<std::uint64_t>(sum);
        if (bits < kInfinityBits) {
            i = AccumulateInBinade(sum, i, count);
        } else if (bits == kInfinityBits && NextSpecial(i) >= count) {
            return sum;  // +inf plus finite trapezoids >= 0 stays +inf
        } else {
            sum = Narrow(whole_[i] + Widen(sum));  // negative, -0 or NaN
            ++i;
        }
    }
    return sum;
}

}  // namespace tsc
