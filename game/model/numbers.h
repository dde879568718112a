#pragma once
// Arithmetic helpers the puzzle geometry depends on. The geometry is defined
// on 16-bit Integers, 32-bit Longs, single-precision floats, round-half-to-even
// conversion and integer division that truncates toward zero; these helpers
// keep every caller honest about which one it uses.
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace pz {

// A value left the range of its type (the 16-bit Integer, mostly).
struct OverflowError : std::overflow_error {
    OverflowError() : std::overflow_error("Overflow") {}
};

// Integer division by zero.
struct DivisionByZero : std::domain_error {
    DivisionByZero() : std::domain_error("Division by zero") {}
};

// Nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline double RoundHalfEven(double v) {
    // Done by hand so that no rounding mode set elsewhere can change it.
    double fl = std::floor(v);
    double diff = v - fl;
    if (diff < 0.5) return fl;
    if (diff > 0.5) return fl + 1.0;
    return (std::fmod(fl, 2.0) == 0.0) ? fl : fl + 1.0;
}

// Checked conversion to a 16-bit Integer; throws OverflowError outside
// -32768..32767.
inline int16_t CheckI16(long long v) {
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        throw OverflowError();
    return static_cast<int16_t>(v);
}

inline int32_t CheckI32(long long v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        throw OverflowError();
    return static_cast<int32_t>(v);
}

// Floating value to Integer / Long: round half to even, then range check.
inline int16_t CInt(double v) {
    if (!std::isfinite(v)) throw OverflowError();
    double r = RoundHalfEven(v);
    if (r < -32768.0 || r > 32767.0) throw OverflowError();
    return static_cast<int16_t>(r);
}

inline int32_t CLng(double v) {
    if (!std::isfinite(v)) throw OverflowError();
    double r = RoundHalfEven(v);
    if (r < -2147483648.0 || r > 2147483647.0) throw OverflowError();
    return static_cast<int32_t>(r);
}

// Integer division truncating toward zero ("\"), with a checked divisor.
inline long long IDiv(long long a, long long b) {
    if (b == 0) throw DivisionByZero();
    return a / b;
}

// 16-bit Integer arithmetic: the result must fit an Integer.
inline int16_t Add16(long long a, long long b) { return CheckI16(a + b); }
inline int16_t Sub16(long long a, long long b) { return CheckI16(a - b); }
inline int16_t Mul16(long long a, long long b) { return CheckI16(a * b); }

}  // namespace pz
