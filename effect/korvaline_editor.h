#pragma once
// KORVAL-Q34's editor: a fixed front panel with three film-strip knobs. The layout lives here as
// plain data so that the picture generator draws the panel's marks and labels where the editor
// puts the knobs.
class IFxBase;
class IGraphics;

inline constexpr int kKorvalineEditorWidth = 203;
inline constexpr int kKorvalineEditorHeight = 621;
// 0 lets the editor choose its default redraw rate.
inline constexpr int kKorvalineEditorFPS = 0;

inline constexpr int kKorvalineBackgroundId = 102;
inline constexpr const char* kKorvalineBackgroundPicture = "resources/img/bg.png";

inline constexpr int kKorvalineKnobFrames = 101;
inline constexpr double kKorvalineKnobGearing = 4.0;

struct KorvalineKnobLayout {
  int resourceId;
  const char* picture;
  const char* label;
  int paramIdx;
  int x, y;       // top-left corner in the editor
  int frameSide;  // each frame of the strip is square
};

// In attachment order.
inline constexpr KorvalineKnobLayout kKorvalineKnobs[] = {
    {105, "resources/img/DI.png", "Dry", 0, 52, 69, 99},
    {106, "resources/img/EM.png", "Wet", 1, 52, 207, 99},
    {104, "resources/img/OUT.png", "Out", 2, 31, 396, 141},
};
inline constexpr int kNumKorvalineKnobs = sizeof(kKorvalineKnobs) / sizeof(kKorvalineKnobs[0]);

// Attaches the background and the knobs, in that order, to a freshly made editor of pPlug. The
// caller then hands the editor to the plug-in with AttachGraphics. False (nothing attached) when
// either pointer is null.
bool AttachKorvalineEditorControls(IFxBase* pPlug, IGraphics* pGraphics);
