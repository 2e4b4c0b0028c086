#pragma once
// Pixel doubling for high-density screens: every source pixel becomes a 2 x 2 block.
#include <cstdint>

// src: width x height pixels, srcSpan pixels per row; dst: 2 x width by 2 x height pixels, dstSpan
// pixels per row (at least 2 x width).
void DoubleUpImage(const uint32_t* src, int srcSpan, int width, int height, uint32_t* dst, int dstSpan);
// The plain version the vector one is checked against.
void DoubleUpImageReference(const uint32_t* src, int srcSpan, int width, int height, uint32_t* dst, int dstSpan);
