#pragma once

#include <cstdint>

// Whole-number helpers of the curve figures: how long a Lissajous figure or a
// trochoid runs before it closes depends on the ratio of its two frequencies.

// Euclid on 16-bit integers: c = p, d = q mod c, then (c, d) = (d, c mod d)
// until d is 0. A p of 0 has no remainder to take; the divisor of (0, q) is q.
std::int16_t GreatestCommonDivisor(std::int16_t p, std::int16_t q);

// p * q / GreatestCommonDivisor(p, q), the division in reals and the result
// rounded to the nearest whole number (halves to even). 0 when either is 0.
// The figures pass small frequencies (at most 20 and 7), whose multiple fits
// 16 bits.
std::int16_t LeastCommonMultiple(std::int16_t p, std::int16_t q);
