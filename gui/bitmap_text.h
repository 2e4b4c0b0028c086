#pragma once
// Text drawn from a picture of fixed-width characters: frame 1 is the space (code 32), frame k
// is code k + 31, and a string is laid out on a grid of equal cells.
#include "gui/icontrol.h"

class IGraphics;

// Lays str out from the area's top (vertically centred with vCenter) and from the left, centre or
// right by the style's alignment, charOffset extra pixels between neighbouring cells. Without
// multiline only the characters that fit one line of the area are drawn.
void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pTextBitmap, IRECT* pR, IText* pTxt, IChannelBlend* pBlend,
                      const char* str, bool vCenter = true, bool multiline = false, int charWidth = 6,
                      int charHeight = 12, int charOffset = 0);

// A string in a character picture; the style only gives the alignment.
class IBitmapTextControl : public IControl {
 public:
  IBitmapTextControl(IFxBase* pPlug, IRECT rect, IBitmap* pCharBitmap, const char* str = "", IText* pText = nullptr,
                     int charWidth = 6, int charHeight = 12, int charOffset = 0, bool multiLine = false,
                     bool vCenter = true);
  // Marks the control for drawing only when the text changes.
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextString() const { return mStr.Get(); }
  bool Draw(IGraphics* pGraphics) override;

 protected:
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mTextBitmap;
  bool mMultiLine;
  bool mVCentre;
  BRM_String mStr;
};
