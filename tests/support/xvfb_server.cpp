#include "support/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korv_test {

XvfbServer::XvfbServer(const char* screen) {
  int fds[2];
  if (pipe(fds) != 0) return;
  mPid = fork();
  if (mPid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
    }
    execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number and a newline once it accepts connections.
  std::string number;
  pollfd reader{fds[0], POLLIN, 0};
  while (mPid > 0 && poll(&reader, 1, 15000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (!number.empty()) mName = ":" + number;
}

XvfbServer::~XvfbServer() {
  if (mPid <= 0) return;
  kill(mPid, SIGTERM);
  waitpid(mPid, nullptr, 0);
}

}  // namespace korv_test
