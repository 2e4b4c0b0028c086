#pragma once
// Owning holder for Core Foundation objects the host creates or receives, and text conversion.
#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <utility>

namespace korval_host {

template <typename Ref>
class CFRef {
 public:
  CFRef() = default;
  explicit CFRef(Ref ref) : mRef(ref) {}
  CFRef(const CFRef&) = delete;
  CFRef& operator=(const CFRef&) = delete;
  CFRef(CFRef&& other) noexcept : mRef(std::exchange(other.mRef, nullptr)) {}
  CFRef& operator=(CFRef&& other) noexcept {
    Reset(std::exchange(other.mRef, nullptr));
    return *this;
  }
  ~CFRef() { Reset(); }

  Ref Get() const { return mRef; }
  explicit operator bool() const { return mRef != nullptr; }
  void Reset(Ref ref = nullptr) {
    if (mRef) CFRelease(mRef);
    mRef = ref;
  }

 private:
  Ref mRef = nullptr;
};

// UTF-8 text of a string object; "" for null.
std::string ToUtf8(CFStringRef text);
CFRef<CFStringRef> MakeCFString(const std::string& text);

}  // namespace korval_host
