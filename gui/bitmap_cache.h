#pragma once
// The process-wide picture cache shared by every editor: pictures are loaded once and live until
// the process ends. Its own mutex is held for one operation at a time only.
#include "base/mutex.h"
#include "base/ptr_list.h"
#include "raster/rast_bitmap.h"

class BitmapStorage {
 public:
  // Key of pictures the editor made itself (scaled, cropped, retained).
  static constexpr int kUnkeyed = -1;

  BitmapStorage() = default;
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The first bitmap stored under key, or null.
  RAST_IBitmap* Find(int key);
  // Appends; the cache owns the bitmap from now on. False when the list could not grow (the
  // bitmap then stays the caller's).
  bool Add(RAST_IBitmap* pBitmap, int key);
  // For keyed pictures loaded outside the lock: when another thread stored one under the same key
  // meanwhile, pBitmap is deleted and the stored one returned, so every caller sees one picture.
  // Null (pBitmap deleted) when the list could not grow.
  RAST_IBitmap* AddUnlessPresent(RAST_IBitmap* pBitmap, int key);
  // Drops the first entry holding pBitmap and deletes it; false (and nothing deleted) when the
  // cache does not hold it.
  bool Remove(RAST_IBitmap* pBitmap);
  int Count();

 private:
  struct Entry {
    int mKey;
    RAST_IBitmap* mBitmap;
  };
  Entry* FindLocked(int key);

  BRM_PtrList<Entry> mEntries;
  BRM_Mutex mMutex;
};

extern BitmapStorage s_bitmapCache;
