#pragma once
// Lines, circles, arcs and polygons. Each clips to the bitmap, draws nothing for a null bitmap
// or one without pixels, and combines its pixels at alpha (1.0 = full weight) by the mode's
// combiner; RAST_USE_SOURCE_ALPHA makes the colour's alpha scale the weight.
#include "raster/rast_combine.h"

// Both ends included.
void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel colour, float alpha, int mode, bool aa);
// The outline from (x, y) to (x + w, y + h), both included; the corners are combined twice.
void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel colour, float alpha, int mode);
// Clips the line to the rectangle (left, top) .. (right, bottom), right and bottom exclusive.
// False when no part of the line is inside (the ends are then left as they were).
bool RAST_ClipLine(int* x1, int* y1, int* x2, int* y2, int left, int top, int right, int bottom);

// Radii above this draw nothing: such circles pass through a bitmap as straight lines and would
// take seconds to trace.
inline constexpr float kRastMaxRadius = 16777216.0f;

void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel colour, float alpha, int mode, bool aa);
void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel colour, float alpha, int mode, bool aa);
// Angles in radians from straight up, clockwise on screen.
void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, RAST_pixel colour,
              float alpha, int mode, bool aa);
void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerRadius, RAST_pixel colour, float alpha,
                    int mode, bool aa);

// Every row between the topmost and the bottommost point is filled between the polygon's edges,
// both ends included.
void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, RAST_pixel colour, float alpha,
                       int mode);
void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints, RAST_pixel colour, float alpha,
                            int mode);
