#include "effect/pictures/front_panel.h"

#include <cmath>
#include <cstdint>

#include "effect/korvaline_editor.h"
#include "effect/pictures/knob_painter.h"
#include "effect/pictures/panel_font.h"

namespace {

constexpr int k = kSupersample;
constexpr Rgb kLettering{226, 227, 230};
constexpr Rgb kScale{150, 153, 160};
constexpr Rgb kAccent{255, 152, 38};

// A repeatable noise source, so every build draws the same panel.
class Noise {
 public:
  float Next() {
    mState = mState * 1664525u + 1013904223u;
    return static_cast<float>(mState >> 8) / 8388608.0f - 1.0f;
  }

 private:
  uint32_t mState = 0x4b6f7231u;
};

// Dark metal brushed from side to side, lighter towards the top.
void PaintBrushedMetal(RAST_IBitmap* panel) {
  Noise noise;
  const int w = panel->getWidth(), h = panel->getHeight();
  for (int y = 0; y < h; ++y) {
    float t = static_cast<float>(y) / h;
    float base = 52.0f - 20.0f * t;
    float streak = 5.0f * noise.Next();
    float phase = 6.3f * noise.Next();
    RAST_pixel* row = panel->getBits() + y * panel->getRowSpan();
    for (int x = 0; x < w; ++x) {
      float v = base + streak * (0.6f + 0.4f * std::sin(x * 0.004f + phase)) + noise.Next();
      Rgb c = MetalGrey(v);
      row[x] = RAST_RGBA(c.r, c.g, c.b, 255);
    }
  }
}

// Light catches the top and left edges; the bottom and right fall into shadow.
void PaintBevel(RAST_IBitmap* panel) {
  const int w = panel->getWidth(), h = panel->getHeight();
  for (int i = 0; i < 2 * k; ++i) {
    float fade = 1.0f - static_cast<float>(i) / (2 * k);
    ForEachPixel(panel, 0, i, w - 1, i, [&](int x, int y) { BlendPixel(panel, x, y, kWhite, 0.16f * fade); });
    ForEachPixel(panel, i, 0, i, h - 1, [&](int x, int y) { BlendPixel(panel, x, y, kWhite, 0.10f * fade); });
    ForEachPixel(panel, 0, h - 1 - i, w - 1, h - 1 - i,
                 [&](int x, int y) { BlendPixel(panel, x, y, kBlack, 0.5f * fade); });
    ForEachPixel(panel, w - 1 - i, 0, w - 1 - i, h - 1,
                 [&](int x, int y) { BlendPixel(panel, x, y, kBlack, 0.4f * fade); });
  }
}

void PaintScrew(RAST_IBitmap* panel, float cx, float cy, float slotAngle) {
  const float r = 4.5f * k;
  SoftDisc(panel, cx, cy + 0.6f * k, r, 0.8f * k, kBlack, 0.7f);
  ShadeDisc(panel, cx, cy, r, [&](float dx, float dy) { return MetalGrey(150.0f - 60.0f * (dx + dy) / (2.0f * r)); });
  float sx = std::cos(slotAngle) * 0.8f * r, sy = std::sin(slotAngle) * 0.8f * r;
  FillCapsule(panel, cx - sx, cy - sy + 0.3f * k, cx + sx, cy + sy + 0.3f * k, 0.65f * k, kWhite, 0.3f);
  FillCapsule(panel, cx - sx, cy - sy, cx + sx, cy + sy, 0.6f * k, Rgb{34, 34, 36}, 1.0f);
}

// A groove pressed into the panel.
void PaintGroove(RAST_IBitmap* panel, float x0, float x1, float y) {
  FillCapsule(panel, x0, y, x1, y, 0.5f * k, kBlack, 0.55f);
  FillCapsule(panel, x0, y + 1.0f * k, x1, y + 1.0f * k, 0.5f * k, kWhite, 0.12f);
}

struct ScaleLabels {
  const char* low;
  const char* middle;  // null: none
  const char* high;
};

void PaintKnobSeat(RAST_IBitmap* panel, const KorvalineKnobLayout& knob, const ScaleLabels& labels, PanelFont& nameFont,
                   PanelFont& scaleFont) {
  const float side = static_cast<float>(knob.frameSide * k);
  const float cx = (knob.x + 0.5f * knob.frameSide) * k, cy = (knob.y + 0.5f * knob.frameSide) * k;

  // A shallow round recess around the knob and its track.
  SoftDisc(panel, cx, cy - 0.01f * side, 0.445f * side, 0.01f * side, kBlack, 0.35f);
  SoftDisc(panel, cx, cy + 0.006f * side, 0.445f * side, 0.004f * side, kWhite, 0.05f);
  PaintKnobTrack(panel, cx, cy, side);

  const int kMarks = 11;
  for (int i = 0; i < kMarks; ++i) {
    float angle = KnobAngle(static_cast<double>(i) / (kMarks - 1));
    bool major = i % 5 == 0;
    float inner = (major ? kKnobMarkInner - 0.01f : kKnobMarkInner) * side;
    float outer = (major ? kKnobMarkOuter : kKnobMarkOuter - 0.01f) * side;
    float sx = std::sin(angle), sy = -std::cos(angle);
    FillCapsule(panel, cx + inner * sx, cy + inner * sy, cx + outer * sx, cy + outer * sy, (major ? 0.75f : 0.5f) * k,
                kScale, 1.0f);
  }

  // Scale ends sit below the outermost marks, the middle value above the top mark.
  const float endRadius = 0.53f * side;
  const float endX = endRadius * std::sin(kKnobSweepEnd), endY = -endRadius * std::cos(kKnobSweepEnd);
  const int capHeight = scaleFont.CapHeight();
  scaleFont.Draw(panel, labels.low, static_cast<int>(cx - endX), static_cast<int>(cy + endY + capHeight),
                 TextAlign::kCentre, kScale);
  scaleFont.Draw(panel, labels.high, static_cast<int>(cx + endX), static_cast<int>(cy + endY + capHeight),
                 TextAlign::kCentre, kScale);
  if (labels.middle)
    scaleFont.Draw(panel, labels.middle, static_cast<int>(cx), static_cast<int>(cy - 0.505f * side), TextAlign::kCentre,
                   kScale);

  const int baseline = (knob.y + knob.frameSide + 12) * k;
  nameFont.Draw(panel, knob.label, static_cast<int>(cx), baseline + k, TextAlign::kCentre, kBlack, 0.6f, k / 2);
  nameFont.Draw(panel, knob.label, static_cast<int>(cx), baseline, TextAlign::kCentre, kLettering, 1.0f, k / 2);
}

}  // namespace

bool PaintFrontPanel(RAST_IBitmap* panel) {
  PanelFont titleFont, nameFont, scaleFont, makerFont;
  if (!titleFont.Open("DejaVu Sans Condensed:bold", 23 * k) || !nameFont.Open("DejaVu Sans:bold", 13 * k) ||
      !scaleFont.Open("DejaVu Sans Condensed", 8 * k) || !makerFont.Open("DejaVu Sans:bold", 10 * k))
    return false;

  const int w = kKorvalineEditorWidth * k, h = kKorvalineEditorHeight * k;
  panel->resize(w, h);
  if (panel->getWidth() != w || panel->getHeight() != h || !panel->getBits()) return false;
  PaintBrushedMetal(panel);
  PaintBevel(panel);

  const float inset = 10.0f * k;
  PaintScrew(panel, inset, inset, 0.5f);
  PaintScrew(panel, w - inset, inset, 2.1f);
  PaintScrew(panel, inset, h - inset, 1.2f);
  PaintScrew(panel, w - inset, h - inset, 2.7f);

  const int centre = w / 2;
  titleFont.Draw(panel, "KORVAL-Q34", centre, 37 * k + k, TextAlign::kCentre, kBlack, 0.6f, k);
  titleFont.Draw(panel, "KORVAL-Q34", centre, 37 * k, TextAlign::kCentre, kLettering, 1.0f, k);
  FillCapsule(panel, centre - 34.0f * k, 47.0f * k, centre + 34.0f * k, 47.0f * k, 0.9f * k, kAccent, 1.0f);

  // Dry and Wet read 0 to 10; Out is in decibels.
  const ScaleLabels scales[kNumKorvalineKnobs] = {{"0", nullptr, "10"}, {"0", nullptr, "10"}, {"-15", "0", "+15"}};
  for (int i = 0; i < kNumKorvalineKnobs; ++i) PaintKnobSeat(panel, kKorvalineKnobs[i], scales[i], nameFont, scaleFont);

  PaintGroove(panel, 18.0f * k, w - 18.0f * k, 352.0f * k);
  PaintGroove(panel, 18.0f * k, w - 18.0f * k, 572.0f * k);
  makerFont.Draw(panel, "BrightmoorAudio", centre, 596 * k + k, TextAlign::kCentre, kBlack, 0.6f, k / 2);
  makerFont.Draw(panel, "BrightmoorAudio", centre, 596 * k, TextAlign::kCentre, kScale, 1.0f, k / 2);
  return true;
}
