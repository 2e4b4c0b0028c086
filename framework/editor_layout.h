#pragma once
// The editors a plug-in may offer, asked for by a host through its binding (SelectEditorLayout). A
// plug-in's own front panel is layout 0 and every binding can show it; the generated layouts are
// built from the parameter list.
enum EEditorLayout : unsigned {
  kEditorLayoutFixed = 0,    // the plug-in's own front panel
  kEditorLayoutKnobs = 1,    // a generated grid of drawn knobs
  kEditorLayoutSliders = 2,  // generated columns of sliders
};
