// Face names to font files through fontconfig.
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <map>
#include <mutex>

#include "base/brm_utf8.h"
#include <korval_platform/font_match.h>
#include "platform/osg/osg_font.h"

namespace {

constexpr size_t kMaxCachedNames = 256;
const char* const kFallbackFamily = "sans-serif";

std::mutex s_lookupMutex;
std::map<std::string, OSG_FontFile> s_nameCache;

bool ValidUTF8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    unsigned int code;
    int n = utf8char(s.data() + i, static_cast<int>(s.size() - i), &code);
    if (code == kUTF8Replacement || code == 0) return false;
    i += static_cast<size_t>(n);
  }
  return true;
}

// The best match for the family; with exactFamily only a font of that family counts.
OSG_FontFile Match(const char* family, bool bold, bool italic, bool exactFamily) {
  OSG_FontFile file;
  FcPattern* wanted = FcPatternCreate();
  if (!wanted) return file;
  FcPatternAddString(wanted, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(wanted, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(wanted, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(wanted, FC_SCALABLE, FcTrue);
  OSG_FontMatch match;
  if (OSG_MatchFont(wanted, &match)) {
    bool familyFound = !exactFamily;
    for (const std::string& name : match.families) familyFound = familyFound || strcasecmp(name.c_str(), family) == 0;
    if (familyFound) file = OSG_FontFile{match.path, match.index};
  }
  FcPatternDestroy(wanted);
  return file;
}

}  // namespace

bool OSG_MatchFont(FcPattern* wanted, OSG_FontMatch* match) {
  // Loaded once and released when the process ends.
  static struct Holder {
    FcConfig* config = FcInitLoadConfigAndFonts();
    ~Holder() {
      if (config) FcConfigDestroy(config);
    }
  } holder;
  FcConfig* config = holder.config;
  if (!config || !wanted) return false;
  FcConfigSubstitute(config, wanted, FcMatchPattern);
  FcDefaultSubstitute(wanted);
  FcResult result;
  FcPattern* found = FcFontMatch(config, wanted, &result);
  FcChar8* path = nullptr;
  bool ok = found && FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch;
  if (ok) {
    match->path = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(found, FC_INDEX, 0, &match->index) != FcResultMatch) match->index = 0;
    FcChar8* name = nullptr;
    match->families.clear();
    for (int i = 0; FcPatternGetString(found, FC_FAMILY, i, &name) == FcResultMatch; ++i)
      match->families.emplace_back(reinterpret_cast<const char*>(name));
  }
  if (found) FcPatternDestroy(found);
  return ok;
}

OSG_FontFile OSG_FindFontFile(const std::string& face, bool bold, bool italic) {
  std::string key = face;
  if (bold) key += " Bold";
  if (italic) key += " Italic";
  std::lock_guard<std::mutex> lock(s_lookupMutex);
  auto found = s_nameCache.find(key);
  if (found != s_nameCache.end()) return found->second;
  OSG_FontFile file;
  // fontconfig expects UTF-8 names; anything else cannot name a family.
  if (!face.empty() && ValidUTF8(face)) file = Match(face.c_str(), bold, italic, true);
  if (file.path.empty()) file = Match(kFallbackFamily, bold, italic, false);
  if (s_nameCache.size() >= kMaxCachedNames) s_nameCache.clear();
  if (!file.path.empty()) s_nameCache.emplace(key, file);
  return file;
}
