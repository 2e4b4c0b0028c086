#pragma once
// Whole-row loops for the combiners and the bilinear sampler that blits spend their time in.
// Each instruction set has its own table; the library runs the best one this processor has.
// The scalar table applies the per-pixel combiners and sampler one pixel at a time and is the
// reference the vector tables must match bit for bit.
#include "raster/rast_bitmap.h"

struct RAST_RowKernels {
  const char* name;
  // Combine n source pixels into n destination pixels at weight w (1..255 unless noted).
  void (*copy)(RAST_pixel* d, const RAST_pixel* s, int n, int w);
  void (*copySourceAlpha)(RAST_pixel* d, const RAST_pixel* s, int n, int w);
  // Copy with source alpha at weight 256 (the weight drops out).
  void (*copySourceAlphaFull)(RAST_pixel* d, const RAST_pixel* s, int n);
  // Add and add with source alpha, weight 1..256.
  void (*add)(RAST_pixel* d, const RAST_pixel* s, int n, int w);
  void (*addSourceAlpha)(RAST_pixel* d, const RAST_pixel* s, int n, int w);
  // n bilinear samples between rows top and bottom at vertical fraction fy (0..65535; 0 blends
  // horizontally only and ignores bottom), starting at 16.16 position px and moving by step > 0.
  // Every sample and its right neighbour must lie inside the rows.
  void (*bilinear)(RAST_pixel* out, const RAST_pixel* top, const RAST_pixel* bottom, int fy, long long px,
                   long long step, int n);
};

const RAST_RowKernels& RAST_ScalarRowKernels();
const RAST_RowKernels& RAST_Sse2RowKernels();
// Null when the processor lacks AVX2.
const RAST_RowKernels* RAST_Avx2RowKernels();

// The table the drawing operations use: the fastest available unless overridden.
const RAST_RowKernels& RAST_ActiveRowKernels();
// Makes the drawing operations use kernels (null restores the fastest), so that tests and
// benchmarks can run whole operations on each table. Not for use while other threads draw.
void RAST_UseRowKernels(const RAST_RowKernels* kernels);
