#pragma once

#include "gfx/raster.h"

#include <cstring>

// The per-row kernels every raster operation ends in. They are kept apart
// from the clipping so that the clipping is done once per call and these
// loops stay simple enough for the compiler to vectorise.
namespace gfx::detail {

// dst[i] = combine(dst[i], src[i]) for each i, eight pixels at a time. The
// eight source pixels are all read before any is written, which lets the
// compiler turn each group into two 128-bit operations without having to
// prove that dst and src do not overlap, and keeps a leftward move within
// one row correct (a rightward one is routed through a copy by the caller).
template <class Combine>
inline void combine_each(Pixel* dst, const Pixel* src, int count, Combine combine)
{
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        Pixel s[8], d[8];
        for (int k = 0; k < 8; ++k)
            s[k] = src[i + k];
        for (int k = 0; k < 8; ++k)
            d[k] = combine(dst[i + k], s[k]);
        for (int k = 0; k < 8; ++k)
            dst[i + k] = d[k];
    }
    for (; i < count; ++i)
        dst[i] = combine(dst[i], src[i]);
}

inline void combine_row(Pixel* dst, const Pixel* src, int count, RasterOp op)
{
    switch (op) {
    case RasterOp::Copy:
        // memmove, not memcpy: a surface may be blitted onto itself.
        std::memmove(dst, src, std::size_t(count) * sizeof(Pixel));
        return;
    case RasterOp::And:
        combine_each(dst, src, count, [](Pixel d, Pixel s) { return d & s; });
        return;
    case RasterOp::Xor:
        combine_each(dst, src, count, [](Pixel d, Pixel s) { return d ^ s; });
        return;
    }
}

// One destination row of a stretch: column i of the row takes the source
// pixel src[columns[i]].
template <RasterOp op>
inline void combine_row_sampled(Pixel* dst, const Pixel* src, const int* columns, int count)
{
    for (int i = 0; i < count; ++i) {
        Pixel s = src[columns[i]];
        if constexpr (op == RasterOp::Copy)
            dst[i] = s;
        else if constexpr (op == RasterOp::And)
            dst[i] &= s;
        else
            dst[i] ^= s;
    }
}

} // namespace gfx::detail
