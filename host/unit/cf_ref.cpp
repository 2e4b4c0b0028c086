#include "host/unit/cf_ref.h"

#include <vector>

namespace korval_host {

std::string ToUtf8(CFStringRef text) {
  if (!text) return {};
  const CFIndex room = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(room), '\0');
  if (!CFStringGetCString(text, buffer.data(), room, kCFStringEncodingUTF8)) return {};
  return buffer.data();
}

CFRef<CFStringRef> MakeCFString(const std::string& text) {
  return CFRef<CFStringRef>(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8));
}

}  // namespace korval_host
