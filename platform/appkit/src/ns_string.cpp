#include <cerrno>
#include <climits>
#include <cstdlib>

#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSString.h>

namespace {

// Code points of well-formed UTF-8; a stray byte counts as one replacement character.
template <class Visit>
void ForEachCodePoint(const std::string& text, Visit visit) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char lead = bytes[i];
    int extra = lead < 0x80             ? 0
                : (lead & 0xE0) == 0xC0 ? 1
                : (lead & 0xF0) == 0xE0 ? 2
                : (lead & 0xF8) == 0xF0 ? 3
                                        : -1;
    uint32_t cp = 0xFFFD;
    size_t length = 1;
    if (extra == 0) {
      cp = lead;
    } else if (extra > 0 && i + extra < n) {
      cp = lead & (0x3F >> extra);
      bool ok = true;
      for (int k = 1; k <= extra; ++k) {
        if ((bytes[i + k] & 0xC0) != 0x80) ok = false;
        cp = (cp << 6) | (bytes[i + k] & 0x3F);
      }
      if (ok) {
        length = 1 + extra;
      } else {
        cp = 0xFFFD;
      }
    }
    visit(cp);
    i += length;
  }
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string TrimTrailingSlashes(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

}  // namespace

NSString NSString::stringWithCharacters(const unichar* characters, NSUInteger length) {
  std::string out;
  for (NSUInteger i = 0; characters && i < length; ++i) {
    uint32_t unit = characters[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length && characters[i + 1] >= 0xDC00 &&
        characters[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (characters[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, (unit >= 0xD800 && unit < 0xE000) ? 0xFFFD : unit);
    }
  }
  return NSString(std::move(out));
}

NSUInteger NSString::length() const {
  NSUInteger units = 0;
  ForEachCodePoint(mUtf8, [&](uint32_t cp) { units += cp >= 0x10000 ? 2 : 1; });
  return units;
}

unichar NSString::characterAtIndex(NSUInteger index) const {
  NSUInteger position = 0;
  unichar found = 0;
  ForEachCodePoint(mUtf8, [&](uint32_t cp) {
    if (cp >= 0x10000) {
      if (position == index) found = static_cast<unichar>(0xD800 + ((cp - 0x10000) >> 10));
      if (position + 1 == index) found = static_cast<unichar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      position += 2;
    } else {
      if (position == index) found = static_cast<unichar>(cp);
      ++position;
    }
  });
  return found;
}

bool NSString::hasPrefix(const NSString& prefix) const { return mUtf8.rfind(prefix.mUtf8, 0) == 0; }

bool NSString::containsString(const NSString& part) const { return mUtf8.find(part.mUtf8) != std::string::npos; }

int NSString::intValue() const {
  errno = 0;
  long value = std::strtol(mUtf8.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::vector<NSString> NSString::componentsSeparatedByString(const NSString& separator) const {
  std::vector<NSString> parts;
  if (separator.mUtf8.empty()) {
    parts.emplace_back(mUtf8);
    return parts;
  }
  size_t start = 0;
  for (;;) {
    size_t at = mUtf8.find(separator.mUtf8, start);
    if (at == std::string::npos) break;
    parts.emplace_back(mUtf8.substr(start, at - start));
    start = at + separator.mUtf8.size();
  }
  parts.emplace_back(mUtf8.substr(start));
  return parts;
}

NSString NSString::lastPathComponent() const {
  std::string p = TrimTrailingSlashes(mUtf8);
  if (p == "/") return p;
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

NSString NSString::stringByDeletingLastPathComponent() const {
  std::string p = TrimTrailingSlashes(mUtf8);
  size_t slash = p.rfind('/');
  if (slash == std::string::npos) return NSString();
  if (slash == 0) return NSString("/");
  return p.substr(0, slash);
}

NSString NSString::pathExtension() const {
  std::string last = lastPathComponent().mUtf8;
  size_t dot = last.rfind('.');
  return (dot == std::string::npos || dot == 0) ? NSString() : NSString(last.substr(dot + 1));
}

NSString NSString::stringByDeletingPathExtension() const {
  std::string p = TrimTrailingSlashes(mUtf8);
  size_t slash = p.rfind('/');
  size_t dot = p.rfind('.');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (dot == std::string::npos || dot <= nameStart) return p;
  return p.substr(0, dot);
}

NSString NSString::stringByAppendingPathComponent(const NSString& component) const {
  if (mUtf8.empty()) return component;
  std::string p = TrimTrailingSlashes(mUtf8);
  std::string c = component.mUtf8;
  while (!c.empty() && c.front() == '/') c.erase(c.begin());
  if (c.empty()) return p;
  return p == "/" ? p + c : p + "/" + c;
}

NSString NSString::stringByExpandingTildeInPath() const {
  if (mUtf8 == "~" || mUtf8.rfind("~/", 0) == 0) return NSString(NSHomeDirectory().utf8() + mUtf8.substr(1));
  return *this;
}
