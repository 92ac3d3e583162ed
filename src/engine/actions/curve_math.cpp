#include "engine/actions/curve_math.h"

#include "gfx/numeric.h"

std::int16_t GreatestCommonDivisor(std::int16_t p, std::int16_t q)
{
    // A remainder by 0 does not exist; gcd(0, q) is q itself.
    if (p == 0)
        return q;
    int c = p;
    int d = q % c;
    while (d != 0) {
        const int r = c % d;
        c = d;
        d = r;
    }
    return std::int16_t(c);
}

std::int16_t LeastCommonMultiple(std::int16_t p, std::int16_t q)
{
    const std::int16_t divisor = GreatestCommonDivisor(p, q);
    if (divisor == 0)
        return 0;
    // The product of the frequencies used here (at most 4 x 8) fits easily in
    // 16 bits; it is formed in 32 so that no pair of inputs can overflow it.
    const int product = int(p) * int(q);
    return std::int16_t(gfx::round_half_even(double(product) / double(divisor)));
}
