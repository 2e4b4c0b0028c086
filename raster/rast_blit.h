#pragma once
// Rectangle operations: copies, scaled and rotated copies, fills and single pixels. Every one
// clips against both bitmaps, does nothing for null bitmaps or bitmaps without pixels, and
// combines what it writes according to alpha (1.0 = full weight) and the mode word.
#include <korval_platform/osg.h>
#include "raster/rast_combine.h"

// Copies the source rectangle (null = the whole source) to (dstx, dsty). Mode values of
// RAST_MODE_CHANNEL_COPY and up copy byte (mode & 3) of each source pixel into byte
// ((mode >> 2) & 3) of the destination pixel and leave the other bytes alone.
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode);
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode);
// Makes dest a copy of src (same size, same pixels).
void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src);

// Draws the source area (srcx, srcy, srcw, srch), in source pixels, into the destination
// rectangle; negative destination sizes mirror. RAST_FILTER_BILINEAR in the mode filters
// (averaging neighbourhoods when shrinking by 1.7 or more), otherwise the nearest pixel is taken.
void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                     float srcw, float srch, float alpha, int mode);
// As RAST_ScaledBlit, turned by angle (radians) about the source area's centre moved by (cx, cy).
// With clipToSource, only pixels inside the source area are read.
void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                      float srcw, float srch, float angle, bool clipToSource, float alpha, int mode, float cx, float cy);

// With RAST_USE_SOURCE_ALPHA the colour's alpha scales alpha.
void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel colour, float alpha, int mode);
// Each pixel becomes (pixel & andMask) | orValue.
void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel andMask, RAST_pixel orValue);
// 0 outside the bitmap.
RAST_pixel RAST_GetPixel(RAST_IBitmap* bmp, int x, int y);
void RAST_PutPixel(RAST_IBitmap* dest, int x, int y, RAST_pixel colour, float alpha, int mode);
