#pragma once
// What a plug-in object on the LV2 binding reports to when it is the parameter model of an editor in
// the host's UI process rather than the running instance: it makes the editor, and the editor's
// gestures become control-port writes. The running instance has none, so it makes no editor.
class IFxBase;
class IGraphics;

class LV2EditorHost {
 public:
  virtual ~LV2EditorHost() = default;
  // A fresh editor of pPlug's size w × h at fps redraws per second (0: the default).
  virtual IGraphics* MakeEditor(IFxBase* pPlug, int w, int h, int fps) = 0;
  virtual void BeginGesture(int paramIdx) = 0;
  // The parameter's plain value, as its control port carries it.
  virtual void ParamChanged(int paramIdx, double value) = 0;
  virtual void EndGesture(int paramIdx) = 0;
};
