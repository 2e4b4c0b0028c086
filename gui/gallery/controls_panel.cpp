#include "gui/gallery/controls_panel.h"

#include <memory>

#include "framework/fx_quiet_base.h"
#include "gui/bitmap_controls.h"
#include "gui/bitmap_text.h"
#include "gui/gallery/offscreen_graphics.h"
#include "gui/knob_controls.h"
#include "gui/mono_char_picture.h"
#include "gui/text_controls.h"
#include "raster/rast_blit.h"

namespace {

enum { kDry = 0, kWet, kOut, kMode, kNumParams };
constexpr int kMonoCharsId = 9001;
constexpr const char* kFace = "DejaVu Sans";

constexpr IColor kPanel(255, 38, 42, 52);
constexpr IColor kInk(255, 232, 236, 240);
constexpr IColor kDim(255, 120, 128, 140);
constexpr IColor kAccent(255, 255, 170, 60);
constexpr IColor kTeal(255, 70, 190, 180);

class PanelPlug : public IFxQuietBase {
 public:
  PanelPlug()
      : IFxQuietBase(IFxInstanceInfo(), kNumParams, "1-1", 0, "Controls", "Controls", "BrightmoorAudio", 0x10000,
                     0x436F6E74, 0x42726D41, 0, false, true, false) {
    GetParam(kDry)->InitDouble("Dry", 0.2, 0.0, 1.0, 0.01);
    GetParam(kWet)->InitDouble("Wet", 0.65, 0.0, 1.0, 0.01);
    GetParam(kOut)->InitDouble("Out", -7.5, -15.0, 15.0, 0.001, "dB");
    GetParam(kMode)->InitEnum("Mode", 1, 3);
    GetParam(kMode)->SetDisplayText(0, "Soft");
    GetParam(kMode)->SetDisplayText(1, "Warm");
    GetParam(kMode)->SetDisplayText(2, "Hard");
  }
};

IText Style(int size, const IColor& colour, IText::EAlign align = IText::kAlignNear,
            IText::EStyle style = IText::kStyleNormal, const char* face = kFace) {
  return IText(size, &colour, face, style, align, 0, IText::kQualityAntiAliased);
}

// Section headings and the boxes the alignment samples sit in.
class FrameControl : public IControl {
 public:
  FrameControl(IFxBase* pPlug, IRECT rect) : IControl(pPlug, rect) {}
  bool Draw(IGraphics* g) override {
    for (IRECT box : {IRECT(20, 150, 250, 172), IRECT(20, 176, 250, 198), IRECT(20, 202, 250, 224)})
      g->DrawRect(&kDim, &box);
    g->DrawHorizontalLine(&kDim, 44, 20, 500);
    g->DrawVerticalLine(&kDim, 270, 56, 380);
    return true;
  }
};

// Every shape primitive once: a dial under the line knob, circles, arcs, round rects, a
// triangle, a polygon, lines.
class ShapesControl : public IControl {
 public:
  ShapesControl(IFxBase* pPlug, IRECT rect) : IControl(pPlug, rect) {}
  bool Draw(IGraphics* g) override {
    const IColor body(255, 60, 66, 80);
    g->FillCircle(&body, 340, 120, 40.0f, nullptr, true);
    g->DrawArc(&kTeal, 340.0f, 120.0f, 46.0f, -0.75f * static_cast<float>(kPi), 0.75f * static_cast<float>(kPi),
               nullptr, true);
    g->DrawArc(&kAccent, 340.0f, 120.0f, 48.0f, -0.75f * static_cast<float>(kPi), 0.2f, nullptr, true);
    g->DrawCircle(&kInk, 450.0f, 110.0f, 30.0f, nullptr, true);
    g->DrawCircle(&kDim, 450.0f, 110.0f, 20.0f, nullptr, false);
    IChannelBlend half(IChannelBlend::kBlendNone, 0.5f);
    g->FillCircle(&kTeal, 462, 122, 16.0f, &half, true);
    IRECT rr(290, 200, 370, 240), fr(390, 200, 500, 240);
    g->RoundRect(&kInk, &rr, nullptr, 8, true);
    g->FillRoundRect(&kAccent, &fr, nullptr, 10, true);
    g->FillTriangle(&kTeal, 290, 320, 330, 260, 370, 320);
    const int xs[] = {400, 440, 500, 480, 410}, ys[] = {270, 255, 280, 320, 315};
    g->FillIConvexPolygon(&kAccent, xs, ys, 5);
    g->DrawLine(&kInk, 290.0f, 340.0f, 500.0f, 375.0f, nullptr, true);
    IRECT meter(290, 345, 500, 380);
    g->DrawRect(&kDim, &meter);
    g->DrawVerticalLine(&kAccent, &meter, 0.65f);
    g->DrawHorizontalLine(&kTeal, &meter, 0.5f);
    return true;
  }
};

void AttachText(IGraphics* g, IFxBase* plug, IRECT r, IText style, const char* text) {
  g->AttachControl(new ITextControl(plug, r, &style, text));
}

void AttachControls(IGraphics* g, IFxBase* plug) {
  g->AttachPanelBackground(&kPanel);
  g->AttachControl(new FrameControl(plug, IRECT(0, 0, kControlsPanelWidth, kControlsPanelHeight)));
  AttachText(g, plug, IRECT(20, 12, 500, 40), Style(24, kInk, IText::kAlignNear, IText::kStyleBold),
             "Text and shapes");
  AttachText(g, plug, IRECT(20, 14, 500, 40), Style(12, kDim, IText::kAlignFar, IText::kStyleItalic),
             "every primitive and text control");

  // Sizes and styles.
  AttachText(g, plug, IRECT(20, 54, 250, 66), Style(11, kInk), "11 px: The quick brown fox jumps");
  AttachText(g, plug, IRECT(20, 68, 250, 82), Style(13, kInk), "13 px: The quick brown fox");
  AttachText(g, plug, IRECT(20, 84, 250, 102), Style(17, kInk), "17 px: Quick brown fox");
  AttachText(g, plug, IRECT(20, 106, 250, 130), Style(24, kInk), "24 px: Fox & dog");
  AttachText(g, plug, IRECT(20, 150, 250, 172), Style(14, kAccent, IText::kAlignNear), "near");
  AttachText(g, plug, IRECT(20, 176, 250, 198), Style(14, kAccent, IText::kAlignCenter), "centred");
  AttachText(g, plug, IRECT(20, 202, 250, 224), Style(14, kAccent, IText::kAlignFar), "far");
  AttachText(g, plug, IRECT(20, 234, 250, 252), Style(15, kInk, IText::kAlignNear, IText::kStyleBold), "Bold text");
  AttachText(g, plug, IRECT(130, 234, 250, 252), Style(15, kInk, IText::kAlignNear, IText::kStyleItalic),
             "Italic text");
  IColor translucent(128, 232, 236, 240);
  AttachText(g, plug, IRECT(20, 254, 250, 272), Style(15, translucent), "Half-transparent text");
  AttachText(g, plug, IRECT(20, 274, 250, 292), Style(13, kTeal, IText::kAlignNear, IText::kStyleNormal,
             "DejaVu Sans Mono"), "Monospaced 0123456789");

  // A caption bound to "Out" and one to an enumerated parameter.
  AttachText(g, plug, IRECT(20, 300, 90, 318), Style(13, kDim), "Out:");
  IText caption = Style(15, kAccent, IText::kAlignNear, IText::kStyleBold);
  g->AttachControl(new ICaptionControl(plug, IRECT(90, 300, 250, 318), kOut, &caption, true));
  AttachText(g, plug, IRECT(20, 320, 90, 338), Style(13, kDim), "Mode:");
  g->AttachControl(new ICaptionControl(plug, IRECT(90, 320, 250, 338), kMode, &caption, false));

  // Bitmap mono text.
  IBitmap chars = g->LoadIBitmap(kMonoCharsId, kMonoCharPicture, kMonoCharFrames);
  IText left = Style(10, kInk, IText::kAlignNear);
  g->AttachControl(new IBitmapTextControl(plug, IRECT(20, 346, 250, 362), &chars, "BITMAP MONO TEXT", &left,
                                          kMonoCharWidth, kMonoCharHeight, 1));
  g->AttachControl(new IBitmapTextControl(plug, IRECT(20, 364, 250, 380), &chars, "0123456789 !?#%&", &left,
                                          kMonoCharWidth, kMonoCharHeight, 1));

  g->AttachControl(new ShapesControl(plug, IRECT(270, 56, 520, 400)));
  g->AttachControl(new IKnobLineControl(plug, IRECT(300, 80, 380, 160), kWet, &kInk, 8.0, 36.0));
  AttachText(g, plug, IRECT(300, 166, 380, 184), Style(12, kInk, IText::kAlignCenter), "Wet");
}

}  // namespace

bool DrawControlsPanel(RAST_IBitmap* out, std::string* error) {
  auto loader = [](int id) -> RAST_IBitmap* {
    if (id != kMonoCharsId) return nullptr;
    auto picture = std::make_unique<RAST_MemBitmap>();
    return MakeMonoCharPicture(picture.get()) ? picture.release() : nullptr;
  };
  PanelPlug plug;
  auto* graphics = new OffscreenGraphics(&plug, kControlsPanelWidth, kControlsPanelHeight, loader);
  AttachControls(graphics, &plug);
  plug.AttachGraphics(graphics);
  IRECT all(0, 0, kControlsPanelWidth, kControlsPanelHeight);
  graphics->Draw(&all);
  RAST_IBitmap* canvas = graphics->GetCanvas();
  if (!canvas || !canvas->getBits()) {
    *error = "no memory for the panel's canvas";
    return false;
  }
  RAST_Copy(out, canvas);
  if (out->getWidth() != kControlsPanelWidth || !out->getBits()) {
    *error = "no memory for the panel's picture";
    return false;
  }
  return true;
}
