#pragma once
// The process-wide font cache shared by every editor: one cached font per text style (size,
// orientation, style and face; colour, alignment and quality do not count), kept until the
// process ends. Its own mutex is held for one operation at a time only.
#include <string>

#include "base/mutex.h"
#include "base/ptr_list.h"
#include "gui/gui_types.h"

class RAST_IFont;

class FontStorage {
 public:
  FontStorage() = default;
  ~FontStorage();
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The font stored for the style's key, or null.
  RAST_IFont* Find(const IText* pTxt);
  // Stores pFont under the style's key and returns the font the cache holds for it: when another
  // thread stored one meanwhile, pFont is deleted and that one returned. Null (pFont deleted)
  // when the list could not grow.
  RAST_IFont* Add(RAST_IFont* pFont, const IText* pTxt);
  int Count();

 private:
  struct Entry {
    int mSize;
    int mOrientation;
    int mStyle;
    std::string mFace;
    RAST_IFont* mFont;
  };
  Entry* FindLocked(const IText* pTxt);

  BRM_PtrList<Entry> mEntries;
  BRM_Mutex mMutex;
};

extern FontStorage s_fontCache;

// The style's face name, however its fixed array was filled.
std::string FaceName(const IText* pTxt);
