// IGraphicsMac: text measuring, which may be asked for outside any drawing pass.
#include <Foundation/Foundation.h>

#include "gui/mac/igraphics_mac.h"

bool IGraphicsMac::MeasureIText(IText* pTxt, const char* str, IRECT* pR) {
  NSAutoreleasePool pool;
  return DrawIText(pTxt, str, pR, true);
}
