#pragma once
// Chart drawing on a raster picture: panels with linear or logarithmic axes, grid lines, curves
// clipped to the panel, and text in the system's sans face.
#include <memory>
#include <string>
#include <vector>

#include "raster/rast_font.h"

namespace korval_host {

struct PlotAxis {
  double low = 0, high = 1;
  bool logarithmic = false;
};

// A rectangle of the picture showing the values x.low..x.high left to right and y.low..y.high
// bottom to top.
struct PlotPanel {
  int left = 0, top = 0, width = 0, height = 0;
  PlotAxis x, y;
  double PixelX(double value) const;
  double PixelY(double value) const;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

enum class TextAlign { kLeft, kCenter, kRight };

class PlotCanvas {
 public:
  // Null, with why, when the picture or its fonts cannot be had.
  static std::unique_ptr<PlotCanvas> Create(int width, int height, std::string* error);

  RAST_IBitmap* Picture() { return &mPicture; }
  void Fill(int left, int top, int width, int height, RAST_pixel colour);

  // Both ends in pixels; the part outside the panel is left out.
  void Line(const PlotPanel& panel, double x1, double y1, double x2, double y2, RAST_pixel colour, bool thick = false);
  void DashedLine(const PlotPanel& panel, double x1, double y1, double x2, double y2, RAST_pixel colour);
  // Through the points given as values on the panel's axes.
  void Curve(const PlotPanel& panel, const std::vector<double>& xs, const std::vector<double>& ys, RAST_pixel colour);

  // Text whose top (or, with centredOnY, middle) is at y.
  void Text(int x, int y, const std::string& text, RAST_pixel colour, TextAlign align = TextAlign::kLeft,
            bool centredOnY = false, bool heading = false);
  int TextHeight(bool heading = false) { return (heading ? mHeadingFont : mFont).GetLineHeight(); }

 private:
  PlotCanvas(int width, int height) : mPicture(width, height) {}
  RAST_MemBitmap mPicture;
  RAST_CachedFont mFont, mHeadingFont;
};

// Pixel positions are kept within this of the picture, so far-off values stay in int range.
inline constexpr double kFarPixel = 1e6;

}  // namespace korval_host
