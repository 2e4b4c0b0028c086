#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSURL.h>

NSURL* NSURL::URLWithString(const NSString& text) {
  const std::string& s = text.utf8();
  size_t colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(s[0]))) return nullptr;
  for (size_t i = 0; i < colon; ++i) {
    char c = s[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return nullptr;
  }
  for (char c : s) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return nullptr;
  }
  return NSAutoreleased(new NSURL(text));
}

NSURL* NSURL::fileURLWithPath(const NSString& path) {
  std::string p = path.utf8();
  if (p.empty()) return nullptr;
  if (p[0] != '/') {
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return nullptr;
    p = NSString(cwd).stringByAppendingPathComponent(p).utf8();
    free(cwd);
  }
  std::string encoded = "file://";
  static const char* kHex = "0123456789ABCDEF";
  for (unsigned char c : p) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return NSAutoreleased(new NSURL(encoded));
}

NSString NSURL::scheme() const {
  size_t colon = mText.utf8().find(':');
  return colon == std::string::npos ? NSString() : NSString(mText.utf8().substr(0, colon));
}

NSString NSURL::path() const {
  const std::string& s = mText.utf8();
  if (!isFileURL()) return NSString();
  size_t start = s.rfind("file://", 0) == 0 ? s.find('/', 7) : s.find(':') + 1;
  if (start == std::string::npos) return NSString();
  std::string decoded;
  for (size_t i = start; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      decoded += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += s[i];
    }
  }
  return decoded;
}

NSString NSHomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && home[0]) return home;
  if (const passwd* entry = getpwuid(getuid())) {
    if (entry->pw_dir && entry->pw_dir[0]) return entry->pw_dir;
  }
  return "/";
}

std::vector<NSString> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                                          NSSearchPathDomainMask domainMask, bool expandTilde) {
  std::vector<NSString> paths;
  NSString home = expandTilde ? NSHomeDirectory() : NSString("~");
  if (domainMask & NSUserDomainMask) {
    switch (directory) {
      case NSDesktopDirectory:
        paths.push_back(home.stringByAppendingPathComponent("Desktop"));
        break;
      case NSDocumentDirectory:
        paths.push_back(home.stringByAppendingPathComponent("Documents"));
        break;
      case NSMusicDirectory:
        paths.push_back(home.stringByAppendingPathComponent("Music"));
        break;
      case NSApplicationSupportDirectory: {
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        paths.push_back(dataHome && dataHome[0] == '/' ? NSString(dataHome)
                                                       : home.stringByAppendingPathComponent(".local/share"));
        break;
      }
      default:
        break;
    }
  }
  if (directory == NSApplicationSupportDirectory) {
    if (domainMask & NSLocalDomainMask) paths.push_back("/usr/local/share");
    if (domainMask & NSSystemDomainMask) paths.push_back("/usr/share");
  }
  return paths;
}
