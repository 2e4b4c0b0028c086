#include "gui/font_cache.h"

#include <cstring>

#include "raster/rast_font.h"

FontStorage s_fontCache;

std::string FaceName(const IText* pTxt) { return std::string(pTxt->mFont, strnlen(pTxt->mFont, IText::kFontNameLen)); }

FontStorage::~FontStorage() {
  BRM_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->mFont;
  mEntries.Empty(true);
}

FontStorage::Entry* FontStorage::FindLocked(const IText* pTxt) {
  std::string face = FaceName(pTxt);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    Entry* e = mEntries.Get(i);
    if (e->mSize == pTxt->mSize && e->mOrientation == pTxt->mOrientation && e->mStyle == pTxt->mStyle && e->mFace == face)
      return e;
  }
  return nullptr;
}

RAST_IFont* FontStorage::Find(const IText* pTxt) {
  BRM_MutexLock lock(mMutex);
  Entry* e = FindLocked(pTxt);
  return e ? e->mFont : nullptr;
}

RAST_IFont* FontStorage::Add(RAST_IFont* pFont, const IText* pTxt) {
  BRM_MutexLock lock(mMutex);
  if (Entry* e = FindLocked(pTxt)) {
    if (e->mFont != pFont) delete pFont;
    return e->mFont;
  }
  Entry* e = new Entry{pTxt->mSize, pTxt->mOrientation, static_cast<int>(pTxt->mStyle), FaceName(pTxt), pFont};
  if (!mEntries.Add(e)) {
    delete e;
    delete pFont;
    return nullptr;
  }
  return pFont;
}

int FontStorage::Count() {
  BRM_MutexLock lock(mMutex);
  return mEntries.GetSize();
}
