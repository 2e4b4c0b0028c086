#include "gui/bitmap_text.h"

#include <cstring>

#include "gui/igraphics.h"
#include "gui/text_controls.h"

namespace {
constexpr int kFirstCharacter = 31;  // frame = code - 31
}

void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pTextBitmap, IRECT* pR, IText* pTxt, IChannelBlend* pBlend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charOffset) {
  if (!str || !str[0] || !pGraphics || !pTextBitmap || !pR) return;
  // Cells without width would not advance and could not be counted.
  if (charWidth <= 0 || charHeight <= 0) return;
  long long n = static_cast<long long>(std::strlen(str));
  long long textWidth = n * charWidth;
  long long areaWidth = pR->W();
  int top = vCenter ? pR->T + (pR->H() - charHeight) / 2 : pR->T;
  long long left = pR->L;
  IText::EAlign align = pTxt ? pTxt->mAlign : IText::kAlignNear;
  if (align == IText::kAlignCenter) {
    left = pR->L + (areaWidth - textWidth) / 2;
  } else if (align == IText::kAlignFar) {
    left = pR->R - textWidth;
  }
  long long perLine, lines = 1;
  if (multiline && textWidth > areaWidth) {
    perLine = areaWidth / charWidth;
    lines = areaWidth > 0 ? textWidth / areaWidth + 1 : 0;
  } else {
    perLine = multiline ? n : areaWidth / charWidth;
  }
  const unsigned char* c = reinterpret_cast<const unsigned char*>(str);
  for (long long line = 0; line < lines; ++line) {
    for (long long cell = 0; cell < perLine; ++cell) {
      if (!*c) return;
      long long x = left + cell * (charWidth + charOffset);
      long long y = top + line * charHeight;
      // Cells that would lie beyond the coordinate range cannot be on the canvas.
      if (x < -(1 << 30) || x > (1 << 30) || y > (1 << 30)) return;
      IRECT cellRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + charWidth,
                     static_cast<int>(y) + charHeight);
      pGraphics->DrawBitmap(pTextBitmap, &cellRect, static_cast<int>(*c++) - kFirstCharacter, pBlend);
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IFxBase* pPlug, IRECT rect, IBitmap* pCharBitmap, const char* str, IText* pText,
                                       int charWidth, int charHeight, int charOffset, bool multiLine, bool vCenter)
    : IControl(pPlug, rect),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mCharOffset(charOffset),
      mTextBitmap(*pCharBitmap),
      mMultiLine(multiLine),
      mVCentre(vCenter),
      mStr(str) {
  if (pText) mText = *pText;
}

void IBitmapTextControl::SetTextFromPlug(const char* str) {
  if (ReplaceText(&mStr, str)) SetDirty(false);
}

bool IBitmapTextControl::Draw(IGraphics* pGraphics) {
  if (!mStr.GetLength()) return true;
  DrawBitmapedText(pGraphics, &mTextBitmap, &mRect, &mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth,
                   mCharHeight, mCharOffset);
  return true;
}
