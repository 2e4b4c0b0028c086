#pragma once
// The plug-in base's narrow view of its editor: the base only pushes parameter values into the
// editor's controls, prepares it for drawing and deletes it. The editor class (IGraphics) derives
// from it, so the framework core builds and runs without any editor code.

class IEditorLink {
 public:
  virtual ~IEditorLink() {}
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  virtual void PrepDraw() = 0;
};
