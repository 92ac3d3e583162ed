#pragma once

#include "gfx/raster.h"

#include <cstring>

// The per-row kernels every raster operation ends in. They are kept apart
// from the clipping so that the clipping is done once per call and these
// loops stay simple enough for the compiler to vectorise.
namespace gfx::detail {

inline void combine_row(Pixel* dst, const Pixel* src, int count, RasterOp op)
{
    switch (op) {
    case RasterOp::Copy:
        // memmove, not memcpy: a surface may be blitted onto itself.
        std::memmove(dst, src, std::size_t(count) * sizeof(Pixel));
        return;
    case RasterOp::And:
        for (int i = 0; i < count; ++i)
            dst[i] &= src[i];
        return;
    case RasterOp::Xor:
        for (int i = 0; i < count; ++i)
            dst[i] ^= src[i];
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
