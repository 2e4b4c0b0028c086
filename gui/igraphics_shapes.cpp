// The line and shape primitives controls draw with: each hands the canvas, the colour and the
// blend's mode and weight to the raster library.
#include <algorithm>
#include <cmath>

#include "gui/igraphics.h"
#include "raster/rast_blit.h"
#include "raster/rast_shapes.h"

bool IGraphics::DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend,
                         bool antiAlias) {
  RAST_Line(mCanvas, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2),
            RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* pBlend, bool antiAlias) {
  float sinV = std::sin(angle);
  float cosV = std::cos(angle);
  return DrawLine(pColor, cx + rMin * sinV, cy - rMin * cosV, cx + rMax * sinV, cy - rMax * cosV, pBlend, antiAlias);
}

bool IGraphics::DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* pBlend, bool antiAlias) {
  RAST_Arc(mCanvas, cx, cy, r, minAngle, maxAngle, RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend,
                           bool antiAlias) {
  RAST_Circle(mCanvas, cx, cy, r, RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius,
                          bool antiAlias) {
  RAST_RoundRect(mCanvas, static_cast<float>(pR->L), static_cast<float>(pR->T), static_cast<float>(pR->W()),
                 static_cast<float>(pR->H()), cornerRadius, RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend),
                 antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius,
                              bool antiAlias) {
  RAST_pixel colour = RastColor(pColor);
  float weight = RastWeight(pBlend);
  int mode = RastBlendMode(pBlend);
  int x = pR->L, y = pR->T, w = pR->W(), h = pR->H(), r = cornerRadius;
  RAST_FillRect(mCanvas, x + r, y, w - 2 * r, h, colour, weight, mode);
  RAST_FillRect(mCanvas, x, y + r, r, h - 2 * r, colour, weight, mode);
  RAST_FillRect(mCanvas, x + w - r, y + r, r, h - 2 * r, colour, weight, mode);
  const float cx[4] = {static_cast<float>(x + r), static_cast<float>(x + w - r - 1), static_cast<float>(x + w - r - 1),
                       static_cast<float>(x + r)};
  const float cy[4] = {static_cast<float>(y + r), static_cast<float>(y + h - r - 1), static_cast<float>(y + r),
                       static_cast<float>(y + h - r - 1)};
  for (int i = 0; i < 4; ++i)
    RAST_FillCircle(mCanvas, cx[i], cy[i], static_cast<float>(r), colour, weight, mode, antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend, bool antiAlias) {
  RAST_FillCircle(mCanvas, static_cast<float>(cx), static_cast<float>(cy), r, RastColor(pColor), RastWeight(pBlend),
                  RastBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* pBlend) {
  RAST_FillTriangle(mCanvas, x1, y1, x2, y2, x3, y3, RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* pColor, const int* x, const int* y, int npoints,
                                   const IChannelBlend* pBlend) {
  RAST_FillConvexPolygon(mCanvas, x, y, npoints, RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend));
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, int x, int yLo, int yHi) {
  RAST_Line(mCanvas, x, yLo, x, yHi, RastColor(pColor), 1.0f, RAST_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, int y, int xLo, int xHi) {
  RAST_Line(mCanvas, xLo, y, xHi, y, RastColor(pColor), 1.0f, RAST_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawRect(const IColor* pColor, IRECT* pR) {
  DrawHorizontalLine(pColor, pR->T, pR->L, pR->R);
  DrawHorizontalLine(pColor, pR->B, pR->L, pR->R);
  DrawVerticalLine(pColor, pR->L, pR->T, pR->B);
  DrawVerticalLine(pColor, pR->R, pR->T, pR->B);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, IRECT* pR, float x) {
  // NaN lands on the left edge.
  x = std::isnan(x) ? 0.0f : std::clamp(x, 0.0f, 1.0f);
  return DrawVerticalLine(pColor, pR->L + static_cast<int>(x * static_cast<float>(pR->W())), pR->T, pR->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y) {
  y = std::isnan(y) ? 0.0f : std::clamp(y, 0.0f, 1.0f);
  return DrawHorizontalLine(pColor, pR->B - static_cast<int>(y * static_cast<float>(pR->H())), pR->L, pR->R);
}
