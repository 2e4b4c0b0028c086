#include "gui/bitmap_cache.h"

BitmapStorage s_bitmapCache;

BitmapStorage::~BitmapStorage() {
  BRM_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->mBitmap;
  mEntries.Empty(true);
}

BitmapStorage::Entry* BitmapStorage::FindLocked(int key) {
  for (int i = 0; i < mEntries.GetSize(); ++i)
    if (mEntries.Get(i)->mKey == key) return mEntries.Get(i);
  return nullptr;
}

RAST_IBitmap* BitmapStorage::Find(int key) {
  BRM_MutexLock lock(mMutex);
  Entry* pEntry = FindLocked(key);
  return pEntry ? pEntry->mBitmap : nullptr;
}

bool BitmapStorage::Add(RAST_IBitmap* pBitmap, int key) {
  BRM_MutexLock lock(mMutex);
  Entry* pEntry = new Entry{key, pBitmap};
  if (mEntries.Add(pEntry)) return true;
  delete pEntry;
  return false;
}

RAST_IBitmap* BitmapStorage::AddUnlessPresent(RAST_IBitmap* pBitmap, int key) {
  BRM_MutexLock lock(mMutex);
  if (Entry* pEntry = FindLocked(key)) {
    if (pEntry->mBitmap != pBitmap) delete pBitmap;
    return pEntry->mBitmap;
  }
  Entry* pEntry = new Entry{key, pBitmap};
  if (!mEntries.Add(pEntry)) {
    delete pEntry;
    delete pBitmap;
    return nullptr;
  }
  return pBitmap;
}

bool BitmapStorage::Remove(RAST_IBitmap* pBitmap) {
  BRM_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    if (mEntries.Get(i)->mBitmap == pBitmap) {
      delete pBitmap;
      mEntries.Delete(i, true);
      return true;
    }
  }
  return false;
}

int BitmapStorage::Count() {
  BRM_MutexLock lock(mMutex);
  return mEntries.GetSize();
}
