#include "host/response/plot_canvas.h"

#include <algorithm>
#include <cmath>

#include "raster/rast_blit.h"
#include "raster/rast_shapes.h"

namespace korval_host {

namespace {

constexpr const char* kFace = "DejaVu Sans";
constexpr int kTextSize = 14;
constexpr int kHeadingSize = 18;
constexpr double kDash = 7, kGap = 5;

double Fraction(const PlotAxis& axis, double value) {
  if (axis.logarithmic) return std::log(value / axis.low) / std::log(axis.high / axis.low);
  return (value - axis.low) / (axis.high - axis.low);
}

int Pixel(double position) {
  if (std::isnan(position)) return static_cast<int>(kFarPixel);
  return static_cast<int>(std::lround(std::clamp(position, -kFarPixel, kFarPixel)));
}

bool OpenFont(RAST_CachedFont* font, int size, int weight) {
  HFONT handle = CreateFont(size, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, kFace);
  if (!handle) return false;
  font->SetFromHFont(handle, RAST_FONT_OWNS_HFONT);
  return true;
}

}  // namespace

double PlotPanel::PixelX(double value) const { return left + Fraction(x, value) * (width - 1); }
double PlotPanel::PixelY(double value) const { return top + (1.0 - Fraction(y, value)) * (height - 1); }

std::unique_ptr<PlotCanvas> PlotCanvas::Create(int width, int height, std::string* error) {
  std::unique_ptr<PlotCanvas> canvas(new PlotCanvas(width, height));
  if (!canvas->mPicture.getBits()) {
    *error = "no memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture";
    return nullptr;
  }
  if (!OpenFont(&canvas->mFont, kTextSize, FW_NORMAL) || !OpenFont(&canvas->mHeadingFont, kHeadingSize, FW_BOLD)) {
    *error = std::string("no font to write the plot's text with (") + kFace + " or the system's sans face)";
    return nullptr;
  }
  return canvas;
}

void PlotCanvas::Fill(int left, int top, int width, int height, RAST_pixel colour) {
  RAST_FillRect(&mPicture, left, top, width, height, colour, 1.0f, RAST_MODE_COPY);
}

void PlotCanvas::Line(const PlotPanel& panel, double x1, double y1, double x2, double y2, RAST_pixel colour,
                      bool thick) {
  for (int offset = 0; offset <= (thick ? 1 : 0); ++offset) {
    // A thick line is doubled across its run: below a flat one, beside a steep one.
    const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
    int ax = Pixel(x1 + (steep ? offset : 0)), ay = Pixel(y1 + (steep ? 0 : offset));
    int bx = Pixel(x2 + (steep ? offset : 0)), by = Pixel(y2 + (steep ? 0 : offset));
    if (RAST_ClipLine(&ax, &ay, &bx, &by, panel.left, panel.top, panel.Right(), panel.Bottom()))
      RAST_Line(&mPicture, ax, ay, bx, by, colour, 1.0f, RAST_MODE_COPY, true);
  }
}

void PlotCanvas::DashedLine(const PlotPanel& panel, double x1, double y1, double x2, double y2, RAST_pixel colour) {
  const double length = std::hypot(x2 - x1, y2 - y1);
  if (!(length > 0) || length > kFarPixel) return;
  for (double from = 0; from < length; from += kDash + kGap) {
    const double to = std::min(length, from + kDash);
    Line(panel, x1 + (x2 - x1) * from / length, y1 + (y2 - y1) * from / length, x1 + (x2 - x1) * to / length,
         y1 + (y2 - y1) * to / length, colour, true);
  }
}

void PlotCanvas::Curve(const PlotPanel& panel, const std::vector<double>& xs, const std::vector<double>& ys,
                       RAST_pixel colour) {
  for (size_t i = 1; i < std::min(xs.size(), ys.size()); ++i) {
    Line(panel, panel.PixelX(xs[i - 1]), panel.PixelY(ys[i - 1]), panel.PixelX(xs[i]), panel.PixelY(ys[i]), colour,
         true);
  }
}

void PlotCanvas::Text(int x, int y, const std::string& text, RAST_pixel colour, TextAlign align, bool centredOnY,
                      bool heading) {
  RAST_CachedFont& font = heading ? mHeadingFont : mFont;
  font.SetTextColor(colour);
  // A rectangle far wider and taller than any label, placed so the text lands where asked.
  constexpr int kRoom = 4000;
  RECT r{x, y, x + kRoom, y + kRoom};
  unsigned int flags = DT_SINGLELINE | DT_NOCLIP;
  if (align == TextAlign::kCenter) {
    r.left = x - kRoom;
    flags |= DT_CENTER;
  } else if (align == TextAlign::kRight) {
    r = {x - kRoom, y, x, y + kRoom};
    flags |= DT_RIGHT;
  }
  if (centredOnY) {
    r.top = y - kRoom;
    r.bottom = y + kRoom;
    flags |= DT_VCENTER;
  }
  font.DrawText(&mPicture, text.c_str(), -1, &r, flags);
}

}  // namespace korval_host
