// The drawing pass and the bitmap and pixel primitives controls draw with.
#include "gui/icontrol.h"
#include "gui/igraphics.h"
#include "raster/rast_blit.h"

bool IGraphics::IsDirty(IRECT* pR) {
  bool dirty = false;
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (pControl->IsDirty()) {
      *pR = pR->Union(*pControl->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* pR) {
  if (!mControlList.GetSize()) return true;
  if (mStrictDrawing) {
    DrawStrict(pR);
  } else {
    DrawDirtyControls();
  }
  return DrawScreen(pR);
}

void IGraphics::DrawStrict(IRECT* pR) {
  mDrawArea = *pR;
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (!pControl->IsHidden() && pR->Intersects(*pControl->GetRECT())) pControl->Draw(this);
    // Cleaned even when outside the area: the area is all that will reach the screen.
    pControl->SetClean();
  }
}

void IGraphics::DrawDirtyControls() {
  int n = mControlList.GetSize();
  IControl* pBackground = mControlList.Get(0);
  if (pBackground->IsDirty()) {
    mDrawArea = *pBackground->GetRECT();
    for (int j = 0; j < n; ++j) {
      IControl* pControl = mControlList.Get(j);
      if (j == 0 || !pControl->IsHidden()) {
        pControl->Draw(this);
        pControl->SetClean();
      }
    }
    return;
  }
  for (int i = 1; i < n; ++i) {
    IControl* pDirty = mControlList.Get(i);
    if (!pDirty->IsDirty()) continue;
    mDrawArea = *pDirty->GetRECT();
    for (int j = 0; j < n; ++j) {
      IControl* pControl = mControlList.Get(j);
      if (!pControl->IsHidden() && (j == i || pControl->GetRECT()->Intersects(mDrawArea))) pControl->Draw(this);
    }
    pDirty->SetClean();
  }
}

bool IGraphics::BlitClipped(RAST_IBitmap* src, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend) {
  IRECT r = pDest->Intersect(mDrawArea);
  srcX += r.L - pDest->L;
  srcY += r.T - pDest->T;
  RAST_Blit(mCanvas, src, r.L, r.T, srcX, srcY, r.W(), r.H(), RastWeight(pBlend), RastBlendMode(pBlend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend) {
  return BlitClipped(pBitmap->mData, pDest, srcX, srcY, pBlend);
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int frame, const IChannelBlend* pBlend) {
  int srcX = 0, srcY = 0;
  int n = pBitmap->Frames();
  if (n > 1 && frame > 1) {
    if (pBitmap->mFramesAreHorizontal) {
      srcX = static_cast<int>(0.5 + static_cast<double>(pBitmap->W) * static_cast<double>(frame - 1) / n);
    } else {
      srcY = static_cast<int>(0.5 + static_cast<double>(pBitmap->H) * static_cast<double>(frame - 1) / n);
    }
  }
  return DrawBitmap(pBitmap, pDest, srcX, srcY, pBlend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* pBlend) {
  int w = pBitmap->W, h = pBitmap->H;
  RAST_RotatedBlit(mCanvas, pBitmap->mData, destCtrX - w / 2, destCtrY - h / 2, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), static_cast<float>(angle), false, RastWeight(pBlend),
                   RastBlendMode(pBlend) | RAST_FILTER_BILINEAR, 0.0f, static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angleDeg,
                                const IChannelBlend* pBlend) {
  float angle = static_cast<float>(kPi * angleDeg / 180.0);
  int w = pBase->W, h = pBase->H;
  float cX = (w % 2) ? -0.5f : 0.0f;
  if (!mScratchBitmap) mScratchBitmap = new RAST_MemBitmap(0, 0, 4);
  RAST_Copy(mScratchBitmap, pBase->mData);
  RAST_ClearRect(mScratchBitmap, 0, 0, w, h, 0xFFFFFF00, 0);
  // Mask and top layer are read whole, whatever their size, and scaled onto the base's area.
  RAST_RotatedBlit(mScratchBitmap, pMask->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(pMask->W),
                   static_cast<float>(pMask->H), angle, true, 1.0f,
                   RAST_MODE_ADD | RAST_FILTER_BILINEAR | RAST_USE_SOURCE_ALPHA, cX, 0.0f);
  RAST_RotatedBlit(mScratchBitmap, pTop->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(pTop->W),
                   static_cast<float>(pTop->H), angle, true, 1.0f,
                   RAST_MODE_COPY | RAST_FILTER_BILINEAR | RAST_USE_SOURCE_ALPHA, cX, 0.0f);
  IRECT dest(x, y, x + w, y + h);
  return BlitClipped(mScratchBitmap, &dest, 0, 0, pBlend);
}

bool IGraphics::DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend, bool) {
  RAST_PutPixel(mCanvas, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), RastColor(pColor), RastWeight(pBlend),
                RastBlendMode(pBlend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* pColor, int x, int y) {
  RAST_pixel* bits = GetBits();
  if (!bits || x < 0 || y < 0 || x >= mCanvas->getWidth() || y >= mCanvas->getHeight()) return true;
  bits[y * mCanvas->getRowSpan() + x] = RastColor(pColor);
  return true;
}

bool IGraphics::FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend) {
  RAST_FillRect(mCanvas, pR->L, pR->T, pR->W(), pR->H(), RastColor(pColor), RastWeight(pBlend), RastBlendMode(pBlend));
  return true;
}

IColor IGraphics::GetPoint(int x, int y) { return IColorFromRast(RAST_GetPixel(mCanvas, x, y)); }

IBitmap IGraphics::ScaleBitmap(IBitmap* pSrcBitmap, int destW, int destH) {
  RAST_IBitmap* pDest = new RAST_MemBitmap(destW, destH, 4);
  RAST_ScaledBlit(pDest, pSrcBitmap->mData, 0, 0, destW, destH, 0.0f, 0.0f, static_cast<float>(pSrcBitmap->W),
                  static_cast<float>(pSrcBitmap->H), 1.0f, RAST_FILTER_BILINEAR);
  IBitmap bmp(pDest, pDest->getWidth(), pDest->getHeight(), pSrcBitmap->N, false);
  if (!RetainBitmap(&bmp)) {
    delete pDest;
    return IBitmap(nullptr, 0, 0, pSrcBitmap->N, false);
  }
  return bmp;
}

IBitmap IGraphics::CropBitmap(IBitmap* pSrcBitmap, IRECT* pR) {
  RAST_IBitmap* pDest = new RAST_MemBitmap(pR->W(), pR->H(), 4);
  RAST_Blit(pDest, pSrcBitmap->mData, 0, 0, pR->L, pR->T, pR->W(), pR->H(), 1.0f, RAST_MODE_COPY);
  IBitmap bmp(pDest, pDest->getWidth(), pDest->getHeight(), pSrcBitmap->N, false);
  if (!RetainBitmap(&bmp)) {
    delete pDest;
    return IBitmap(nullptr, 0, 0, pSrcBitmap->N, false);
  }
  return bmp;
}
