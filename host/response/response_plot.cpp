#include "host/response/response_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korval_host {

namespace {

constexpr int kWidth = 960, kHeight = 840;
constexpr int kLeft = 72, kPanelWidth = 858, kPanelHeight = 300;
constexpr int kDecayTop = 96, kMagnitudeTop = 480;
constexpr double kDecayFloorDb = -100;
// The magnitude axis spans at least this many dB, and at most kWidestMagnitudeRange.
constexpr double kMagnitudeRange = 60, kWidestMagnitudeRange = 90;

constexpr RAST_pixel kBackground = RAST_RGBA(255, 255, 255, 255);
constexpr RAST_pixel kPanelColour = RAST_RGBA(249, 250, 252, 255);
constexpr RAST_pixel kGrid = RAST_RGBA(218, 221, 228, 255);
constexpr RAST_pixel kMinorGrid = RAST_RGBA(236, 238, 242, 255);
constexpr RAST_pixel kFrame = RAST_RGBA(110, 114, 124, 255);
constexpr RAST_pixel kInk = RAST_RGBA(28, 30, 36, 255);
constexpr RAST_pixel kQuietInk = RAST_RGBA(96, 100, 110, 255);
constexpr RAST_pixel kLevelColour = RAST_RGBA(196, 210, 232, 255);
constexpr RAST_pixel kDecayColour = RAST_RGBA(22, 84, 196, 255);
constexpr RAST_pixel kFitColour = RAST_RGBA(212, 54, 40, 255);
constexpr RAST_pixel kMagnitudeColour = RAST_RGBA(18, 128, 78, 255);

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string FrequencyLabel(double hertz) {
  return hertz >= 1000 ? Format("%gk", hertz / 1000) : Format("%g", hertz);
}

// A step of 1, 2 or 5 times a power of ten that divides span into at most `most` parts.
double NiceStep(double span, int most) {
  const double rough = span / most;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * power >= rough) return factor * power;
  }
  return 10 * power;
}

void DrawFrame(PlotCanvas* canvas, const PlotPanel& panel) {
  // The frame's right and bottom edges lie just inside a panel one pixel larger.
  PlotPanel framed = panel;
  ++framed.width;
  ++framed.height;
  const double l = panel.left, t = panel.top, r = panel.Right() - 1, b = panel.Bottom() - 1;
  canvas->Line(framed, l, t, r, t, kFrame);
  canvas->Line(framed, l, b, r, b, kFrame);
  canvas->Line(framed, l, t, l, b, kFrame);
  canvas->Line(framed, r, t, r, b, kFrame);
}

// Grid lines every `step` dB with labels left of the panel.
void DrawLevelGrid(PlotCanvas* canvas, const PlotPanel& panel, double step) {
  for (double db = std::ceil(panel.y.low / step) * step; db <= panel.y.high + 1e-9; db += step) {
    const double y = panel.PixelY(db);
    canvas->Line(panel, panel.left, y, panel.Right(), y, kGrid);
    canvas->Text(panel.left - 6, static_cast<int>(std::lround(y)), Format("%g", db), kInk, TextAlign::kRight, true);
  }
}

void DrawTimeGrid(PlotCanvas* canvas, const PlotPanel& panel, double step) {
  for (double t = 0; t <= panel.x.high + 1e-9; t += step) {
    const double x = panel.PixelX(t);
    canvas->Line(panel, x, panel.top, x, panel.Bottom(), kGrid);
    canvas->Text(static_cast<int>(std::lround(x)), panel.Bottom() + 5, Format("%g", t), kInk, TextAlign::kCenter);
  }
}

// Lines at 1, 2 and 5 times each power of ten, labelled, and fainter ones at the other multiples.
void DrawFrequencyGrid(PlotCanvas* canvas, const PlotPanel& panel) {
  for (double decade = 1; decade <= panel.x.high; decade *= 10) {
    for (int multiple = 1; multiple <= 9; ++multiple) {
      const double hertz = decade * multiple;
      if (hertz < panel.x.low || hertz > panel.x.high * 1.0001) continue;
      const bool labelled = multiple == 1 || multiple == 2 || multiple == 5;
      const double x = panel.PixelX(hertz);
      canvas->Line(panel, x, panel.top, x, panel.Bottom(), labelled ? kGrid : kMinorGrid);
      if (labelled) {
        canvas->Text(static_cast<int>(std::lround(x)), panel.Bottom() + 5, FrequencyLabel(hertz), kInk,
                     TextAlign::kCenter);
      }
    }
  }
}

enum class LegendMark { kNone, kLine, kDashes, kBlock };

void LegendEntry(PlotCanvas* canvas, const PlotPanel& panel, int row, RAST_pixel colour, LegendMark mark,
                 const std::string& text) {
  const int y = panel.top + 16 + row * (canvas->TextHeight() + 6);
  const int x = panel.Right() - 330;
  if (mark == LegendMark::kDashes) {
    canvas->DashedLine(panel, x, y, x + 30, y, colour);
  } else if (mark == LegendMark::kLine) {
    canvas->Line(panel, x, y, x + 30, y, colour, true);
  } else if (mark == LegendMark::kBlock) {
    canvas->Fill(x, y - 5, 31, 11, colour);
  }
  canvas->Text(x + 40, y, text, mark == LegendMark::kNone ? colour : kInk, TextAlign::kLeft, true);
}

// The fitted line across the panel, dashed, and solid over the part of the decay it was fitted to.
void DrawDecayFit(PlotCanvas* canvas, const PlotPanel& panel, const DecayFit& fit) {
  const auto timeAt = [&](double db) { return (db - fit.interceptDb) / fit.slopeDbPerSecond; };
  const auto dbAt = [&](double seconds) { return fit.interceptDb + fit.slopeDbPerSecond * seconds; };
  // Ends kept within the panel's times, so that a slow decay's line stays a short one.
  const double start = std::clamp(timeAt(0), 0.0, panel.x.high);
  const double end = std::clamp(timeAt(panel.y.low), start, panel.x.high);
  canvas->DashedLine(panel, panel.PixelX(start), panel.PixelY(dbAt(start)), panel.PixelX(end), panel.PixelY(dbAt(end)),
                     kFitColour);
  canvas->Line(panel, panel.PixelX(timeAt(fit.fromDb)), panel.PixelY(fit.fromDb), panel.PixelX(timeAt(fit.toDb)),
               panel.PixelY(fit.toDb), kFitColour, true);
}

// The heading above a panel and the axis title below it.
void DrawPanelTitles(PlotCanvas* canvas, const PlotPanel& panel, const std::string& heading, const std::string& axis) {
  canvas->Text(panel.left, panel.top - canvas->TextHeight() - 6, heading, kInk);
  canvas->Text(panel.left + panel.width / 2, panel.Bottom() + canvas->TextHeight() + 10, axis, kInk,
               TextAlign::kCenter);
}

// The first sample at or after the time of a column of the panel.
size_t ColumnSample(const PlotPanel& panel, int column, double rate) {
  return static_cast<size_t>(std::ceil(column * panel.x.high / (panel.width - 1) * rate));
}

void DrawDecayLegend(PlotCanvas* canvas, const PlotPanel& panel, const DecayFit& fit) {
  LegendEntry(canvas, panel, 0, kLevelColour, LegendMark::kBlock, "response level, dB re the impulse");
  LegendEntry(canvas, panel, 1, kDecayColour, LegendMark::kLine, "energy decay, dB re the total");
  if (!fit.found) {
    LegendEntry(canvas, panel, 2, kFitColour, LegendMark::kDashes, "no reverb time: no decay to fit");
    return;
  }
  LegendEntry(canvas, panel, 2, kFitColour, LegendMark::kDashes,
              Format("T%.0f fit", fit.fromDb - fit.toDb) + Format(" (solid: %g", fit.fromDb) +
                  Format(" to %g dB)", fit.toDb));
  const double decayRate = -fit.slopeDbPerSecond;
  LegendEntry(canvas, panel, 3, kFitColour, LegendMark::kNone,
              Format("RT60 = 60 dB / %.1f dB/s = ", decayRate) + Format("%.2f s", fit.rt60Seconds));
}

void DrawDecayPanel(PlotCanvas* canvas, const ImpulseResponse& response, const ResponseMeasurement& measurement) {
  const std::vector<double>& h = response.samples;
  const double rate = response.sampleRate;
  const double seconds = std::max(static_cast<double>(h.size()) / rate, 0.1);
  const double timeStep = NiceStep(seconds, 10);
  double peak = 0;
  for (const double sample : h) peak = std::max(peak, std::abs(sample));
  const double topDb = peak > 0 ? std::max(0.0, std::ceil(2 * std::log10(peak)) * 10) : 0.0;
  const PlotPanel panel{kLeft, kDecayTop, kPanelWidth, kPanelHeight, {0, std::ceil(seconds / timeStep) * timeStep},
                        {kDecayFloorDb, topDb}};
  canvas->Fill(panel.left, panel.top, panel.width, panel.height, kPanelColour);

  // The response's own level: its loudest sample in each column, filled down to the floor.
  for (int column = 0; column < panel.width; ++column) {
    const size_t end = std::min(h.size(), ColumnSample(panel, column + 1, rate));
    double loudest = 0;
    for (size_t i = ColumnSample(panel, column, rate); i < end; ++i) loudest = std::max(loudest, std::abs(h[i]));
    const double x = panel.left + column;
    if (loudest > 0) canvas->Line(panel, x, panel.PixelY(20 * std::log10(loudest)), x, panel.Bottom(), kLevelColour);
  }
  DrawLevelGrid(canvas, panel, 20);
  DrawTimeGrid(canvas, panel, timeStep);

  // The decay at the start of each column: it never rises, so no column hides a higher value.
  std::vector<double> times, levels;
  for (int column = 0; column < panel.width; ++column) {
    const size_t i = ColumnSample(panel, column, rate);
    if (i >= h.size()) break;
    times.push_back(static_cast<double>(i) / rate);
    levels.push_back(measurement.decayDb[i]);
  }
  canvas->Curve(panel, times, levels, kDecayColour);
  if (measurement.fit.found) DrawDecayFit(canvas, panel, measurement.fit);
  DrawDecayLegend(canvas, panel, measurement.fit);
  DrawFrame(canvas, panel);
  std::string axis = "time (s)";
  if (!response.diedAway) axis += Format("   (stopped after %.1f s, still sounding)", seconds);
  DrawPanelTitles(canvas, panel, "Energy decay and level (dB)", axis);
}

void DrawMagnitudePanel(PlotCanvas* canvas, const ResponseMeasurement& measurement) {
  const std::vector<double>& levels = measurement.levelsDb;
  double loudest = kSilentDb, quietest = -kSilentDb;
  for (const double db : levels) {
    loudest = std::max(loudest, db);
    quietest = std::min(quietest, db);
  }
  const bool silent = loudest <= kSilentDb;
  const double top = silent ? 0 : std::ceil((loudest + 1) / 10) * 10;
  const double bottom = silent ? -kMagnitudeRange
                               : std::clamp(std::floor(quietest / 10) * 10, top - kWidestMagnitudeRange,
                                            top - kMagnitudeRange);
  const double highest = measurement.frequencies.empty() ? kHighestPlotFrequency : measurement.frequencies.back();
  const PlotPanel panel{kLeft, kMagnitudeTop, kPanelWidth, kPanelHeight, {kLowestPlotFrequency, highest, true},
                        {bottom, top}};
  canvas->Fill(panel.left, panel.top, panel.width, panel.height, kPanelColour);
  DrawLevelGrid(canvas, panel, 10);
  DrawFrequencyGrid(canvas, panel);
  canvas->Curve(panel, measurement.frequencies, levels, kMagnitudeColour);
  if (silent) {
    canvas->Text(panel.left + panel.width / 2, panel.top + panel.height / 2, "the unit gave no output", kFitColour,
                 TextAlign::kCenter, true);
  }
  DrawFrame(canvas, panel);
  DrawPanelTitles(canvas, panel, "Magnitude response (dB re the impulse, 1/6-octave power average)", "frequency (Hz)");
}

}  // namespace

std::unique_ptr<PlotCanvas> DrawResponsePlot(const ImpulseResponse& response, const ResponseMeasurement& measurement,
                                             const ResponsePlotNotes& notes, std::string* error) {
  std::unique_ptr<PlotCanvas> canvas = PlotCanvas::Create(kWidth, kHeight, error);
  if (!canvas) return nullptr;
  canvas->Fill(0, 0, kWidth, kHeight, kBackground);
  canvas->Text(kLeft, 12, notes.title, kInk, TextAlign::kLeft, false, true);
  canvas->Text(kLeft, 40, notes.settings, kQuietInk);
  DrawDecayPanel(canvas.get(), response, measurement);
  DrawMagnitudePanel(canvas.get(), measurement);
  return canvas;
}

}  // namespace korval_host
