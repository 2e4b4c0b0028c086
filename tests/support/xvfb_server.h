#pragma once
// A private X server for one test: Xvfb on a display number it picks itself, stopped at the end.
#include <sys/types.h>

#include <string>

namespace korv_test {

class XvfbServer {
 public:
  // size as Xvfb takes it, e.g. "800x800x24".
  explicit XvfbServer(const char* screen);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  // ":N", or empty when the server did not start.
  const std::string& Name() const { return mName; }

 private:
  pid_t mPid = -1;
  std::string mName;
};

}  // namespace korv_test
