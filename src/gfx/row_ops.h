#pragma once

#include "gfx/raster.h"

#include <cstddef>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define ORVELUNE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVELUNE_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(ORVELUNE_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
// A loop the sanitizers leave alone, its rows checked whole by check_row.
// Its arithmetic is bitwise on unsigned pixels and its indices stay below
// the count, so there is no undefined behaviour for the other to find.
#define ORVELUNE_ROW_LOOP __attribute__((no_sanitize("address", "undefined")))
#else
#define ORVELUNE_ROW_LOOP
#endif

// The per-row kernels every raster operation ends in. They are kept apart
// from the clipping so that the clipping is done once per call and these
// loops stay simple enough for the compiler to vectorise.
namespace gfx::detail {

// Under AddressSanitizer a row's pixels are checked once, as one range,
// before its loop runs unchecked: the same bytes are checked as pixel by
// pixel, at a fraction of the cost (the sanitized tests spend most of their
// time in these loops). A byte outside the surfaces' memory is then read
// where the sanitizer sees it, and reported as the overflow it is.
inline void check_row(const Pixel* pixels, int count)
{
#if defined(ORVELUNE_ADDRESS_SANITIZER)
    if (count <= 0)
        return;
    if (const void* bad = __asan_region_is_poisoned(const_cast<Pixel*>(pixels), std::size_t(count) * sizeof(Pixel)))
        (void)*static_cast<const volatile char*>(bad);
#else
    (void)pixels;
    (void)count;
#endif
}

// One pixel of an AND or an XOR.
template <RasterOp op>
ORVELUNE_ROW_LOOP inline Pixel combined(Pixel d, Pixel s)
{
    if constexpr (op == RasterOp::And)
        return d & s;
    else
        return d ^ s;
}

// dst[i] = combined(dst[i], src[i]) for each i, eight pixels at a time. The
// eight source pixels are all read before any is written, which lets the
// compiler turn each group into two 128-bit operations without having to
// prove that dst and src do not overlap, and keeps a leftward move within
// one row correct (a rightward one is routed through a copy by the caller).
template <RasterOp op>
ORVELUNE_ROW_LOOP inline void combine_each(Pixel* dst, const Pixel* src, int count)
{
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        Pixel s[8], d[8];
        for (int k = 0; k < 8; ++k)
            s[k] = src[i + k];
        for (int k = 0; k < 8; ++k)
            d[k] = combined<op>(dst[i + k], s[k]);
        for (int k = 0; k < 8; ++k)
            dst[i + k] = d[k];
    }
    for (; i < count; ++i)
        dst[i] = combined<op>(dst[i], src[i]);
}

inline void combine_row(Pixel* dst, const Pixel* src, int count, RasterOp op)
{
    switch (op) {
    case RasterOp::Copy:
        // memmove, not memcpy: a surface may be blitted onto itself.
        std::memmove(dst, src, std::size_t(count) * sizeof(Pixel));
        return;
    case RasterOp::And:
        check_row(dst, count);
        check_row(src, count);
        combine_each<RasterOp::And>(dst, src, count);
        return;
    case RasterOp::Xor:
        check_row(dst, count);
        check_row(src, count);
        combine_each<RasterOp::Xor>(dst, src, count);
        return;
    }
}

// dst[i] = colour for each i.
ORVELUNE_ROW_LOOP inline void fill_each(Pixel* dst, int count, Pixel colour)
{
    for (int i = 0; i < count; ++i)
        dst[i] = colour;
}

inline void fill_row(Pixel* dst, int count, Pixel colour)
{
    check_row(dst, count);
    fill_each(dst, count, colour);
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
