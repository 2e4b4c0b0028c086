// korval-host edit on a private X server: a knob dragged with synthetic input is reported as the
// host's listener sees it, and the preset saved on closing holds the new value, however the session
// ends (the window closed, a signal, the server or the window going away).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "host_test_support.h"

// Xlib's macros (None, Bool, Status ...) must come after the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include "support/x11_window_close.h"
#include "support/xtest_probe.h"
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korval_host_test;
using korv_test::CloseLikeAWindowManager;
using korv_test::OpenXTestProbe;
using korv_test::XvfbServer;

namespace {

using Clock = std::chrono::steady_clock;
// Generous: under the sanitizers the host takes seconds to start.
constexpr auto kPatience = std::chrono::seconds(60);

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// korval-host running on its own, its output going to a file.
class HostProcess {
 public:
  HostProcess(const std::string& display, const std::vector<std::string>& arguments, const std::string& outputPath) {
    mPid = fork();
    if (mPid == 0) {
      setenv("DISPLAY", display.c_str(), 1);
      const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (output >= 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
      }
      std::vector<char*> argv{const_cast<char*>("korval-host")};
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(KORVAL_HOST_BINARY, argv.data());
      _exit(127);
    }
  }
  ~HostProcess() {
    if (mPid <= 0 || mExited) return;
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
  void Signal(int signal) const { kill(mPid, signal); }
  // The exit status, or -1 when it has not ended in time (or died of a signal).
  int Wait() {
    for (const auto end = Clock::now() + kPatience; mPid > 0 && Clock::now() < end; Pause(50)) {
      int status = 0;
      if (waitpid(mPid, &status, WNOHANG) == mPid) {
        mExited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
    }
    return -1;
  }

 private:
  pid_t mPid = -1;
  bool mExited = false;
};

// The top-level window whose title starts with prefix, once it is on screen; 0 when none appears.
Window FindShownWindow(::Display* display, const std::string& prefix) {
  for (const auto end = Clock::now() + kPatience; Clock::now() < end; Pause(50)) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) continue;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
      char* name = nullptr;
      XWindowAttributes attributes;
      if (XFetchName(display, children[i], &name) && name) {
        if (std::string(name).starts_with(prefix) && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
          found = children[i];
        XFree(name);
      }
    }
    if (children) XFree(children);
    if (found) return found;
  }
  return 0;
}

// The top-level windows titled exactly title that are on screen.
int CountShownWindows(::Display* display, const std::string& title) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  int shown = 0;
  for (unsigned i = 0; i < count; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(display, children[i], &name) && name) {
      if (title == name && XGetWindowAttributes(display, children[i], &attributes) &&
          attributes.map_state == IsViewable)
        ++shown;
      XFree(name);
    }
  }
  if (children) XFree(children);
  return shown;
}

// A press and release at (x, y) of the window.
void Click(::Display* display, Window window, int x, int y) {
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(display, -1, rootX, rootY, 0);
  XTestFakeButtonEvent(display, 1, True, 0);
  XTestFakeButtonEvent(display, 1, False, 0);
  XFlush(display);
}

// Drags the fixed layout's Wet knob 60 pixels down from its middle.
void DragWetKnobDown(::Display* display, Window window) {
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &child);
  // The middle of the Wet knob (99 x 99 at (52, 207)), then 60 pixels down in steps.
  const int knobX = rootX + 52 + 49, knobY = rootY + 207 + 49;
  XTestFakeMotionEvent(display, -1, knobX, knobY, 0);
  XTestFakeButtonEvent(display, 1, True, 0);
  XFlush(display);
  Pause(100);
  for (int step = 1; step <= 6; ++step) {
    XTestFakeMotionEvent(display, -1, knobX, knobY + 10 * step, 0);
    XFlush(display);
    Pause(60);
  }
  XTestFakeButtonEvent(display, 1, False, 0);
  XFlush(display);
  Pause(300);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

TEST(HostEdit, DraggingTheWetKnobDownIsReportedAndSaved) {
  XvfbServer server("800x800x24");
  ::Display* probe = OpenXTestProbe(server);
  ASSERT_NE(probe, nullptr) << "Xvfb with XTest did not start";

  TempDir dir;
  const std::string preset = dir.Path("edited.aupreset"), log = dir.Path("edit.log");
  HostProcess host(server.Name(), {"edit", "--save", preset}, log);
  const Window window = FindShownWindow(probe, "korval-host edit");
  ASSERT_NE(window, 0u) << ReadBytes(log);
  Pause(300);
  DragWetKnobDown(probe, window);
  CloseLikeAWindowManager(probe, window);
  EXPECT_EQ(host.Wait(), 0) << ReadBytes(log);
  XCloseDisplay(probe);

  // Begin, the value changes, end: in that order, and the value went down.
  const std::vector<std::string> lines = Lines(ReadBytes(log));
  const auto begins = std::find(lines.begin(), lines.end(), "Wet: gesture begins");
  const auto ends = std::find(lines.begin(), lines.end(), "Wet: gesture ends");
  ASSERT_TRUE(begins < ends && ends != lines.end()) << ReadBytes(log);
  std::string lastValue;
  int changes = 0;
  for (auto line = lines.begin(); line != lines.end(); ++line) {
    if (!line->starts_with("Wet = ")) continue;
    EXPECT_TRUE(line > begins && line < ends) << *line;
    lastValue = line->substr(6, line->find(' ', 6) - 6);
    ++changes;
  }
  EXPECT_GE(changes, 1);
  const double wet = std::atof(lastValue.c_str());
  EXPECT_LT(wet, 1.0);
  EXPECT_GE(wet, 0.0);
  EXPECT_NE(lines.back().find("saved " + preset), std::string::npos) << ReadBytes(log);

  const HostRun shown = RunHost({"preset", "show", preset});
  ASSERT_EQ(shown.exitStatus, 0) << shown.output;
  EXPECT_NE(shown.output.find("Wet = " + lastValue + " ("), std::string::npos) << shown.output;
}

TEST(HostEdit, AtScaleTwoTheWindowIsDoubledAndAnInterruptStillSaves) {
  XvfbServer server("1024x1400x24");
  ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
  ::Display* probe = XOpenDisplay(server.Name().c_str());
  ASSERT_NE(probe, nullptr);
  TempDir dir;
  const std::string preset = dir.Path("interrupted.aupreset"), log = dir.Path("edit.log");
  HostProcess host(server.Name(), {"edit", "--scale", "2", "--save", preset}, log);
  const Window window = FindShownWindow(probe, "korval-host edit");
  ASSERT_NE(window, 0u) << ReadBytes(log);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(probe, window, &attributes));
  EXPECT_EQ(attributes.width, 406);
  EXPECT_EQ(attributes.height, 1242);
  XCloseDisplay(probe);

  host.Signal(SIGTERM);
  EXPECT_EQ(host.Wait(), 0) << ReadBytes(log);
  const HostRun shown = RunHost({"preset", "show", preset});
  EXPECT_EQ(shown.exitStatus, 0) << shown.output;
  EXPECT_NE(shown.output.find("Wet = 1 ("), std::string::npos) << shown.output;
}

// The display going away ends the session with a message; the edit made before it is saved.
TEST(HostEdit, LosingTheDisplayOrTheWindowSavesTheEditsAndSaysSo) {
  enum class End { kServerStops, kConnectionKilled, kWindowDestroyed };
  const std::pair<End, const char*> endings[] = {
      {End::kServerStops, "the connection to the X server was lost"},
      {End::kConnectionKilled, "the connection to the X server was lost"},
      {End::kWindowDestroyed, "the editor's window was destroyed by another program"},
  };
  for (const auto& [end, message] : endings) {
    SCOPED_TRACE(message);
    std::optional<XvfbServer> server(std::in_place, "800x800x24");
    ASSERT_FALSE(server->Name().empty()) << "Xvfb did not start";
    ::Display* probe = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(probe, nullptr);
    TempDir dir;
    const std::string preset = dir.Path("kept.aupreset"), log = dir.Path("edit.log");
    HostProcess host(server->Name(), {"edit", "--save", preset}, log);
    const Window window = FindShownWindow(probe, "korval-host edit");
    ASSERT_NE(window, 0u) << ReadBytes(log);
    Pause(300);
    DragWetKnobDown(probe, window);
    if (end == End::kConnectionKilled) XKillClient(probe, window);
    if (end == End::kWindowDestroyed) XDestroyWindow(probe, window);
    XSync(probe, False);
    XCloseDisplay(probe);
    if (end == End::kServerStops) server.reset();

    EXPECT_EQ(host.Wait(), 1) << ReadBytes(log);
    const std::string output = ReadBytes(log);
    EXPECT_NE(output.find("saved " + preset), std::string::npos) << output;
    EXPECT_NE(output.find(message), std::string::npos) << output;
    const HostRun shown = RunHost({"preset", "show", preset});
    ASSERT_EQ(shown.exitStatus, 0) << shown.output;
    EXPECT_EQ(shown.output.find("Wet = 1 ("), std::string::npos) << "the drag is kept\n" << shown.output;
  }
}

// "Dump preset" clicked again while its dialog is open opens no second dialog, and a signal ends the
// session at once with the dialog open, saving the preset.
TEST(HostEdit, OneSaveDialogAtATimeAndASignalEndsItsSession) {
  XvfbServer server("800x800x24");
  ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
  ::Display* probe = XOpenDisplay(server.Name().c_str());
  ASSERT_NE(probe, nullptr);
  TempDir dir;
  const std::string preset = dir.Path("dialog.aupreset"), log = dir.Path("edit.log");
  HostProcess host(server.Name(), {"edit", "--layout", "sliders", "--save", preset}, log);
  const Window window = FindShownWindow(probe, "korval-host edit");
  ASSERT_NE(window, 0u) << ReadBytes(log);
  Pause(300);
  // The button is the sliders layout's first row, at the top left.
  Click(probe, window, 12, 6);
  ASSERT_NE(FindShownWindow(probe, "Save"), 0u) << ReadBytes(log);
  Pause(600);
  Click(probe, window, 12, 6);
  for (const auto end = Clock::now() + std::chrono::seconds(2); Clock::now() < end; Pause(50))
    if (CountShownWindows(probe, "Save") > 1) break;
  EXPECT_EQ(CountShownWindows(probe, "Save"), 1);
  XCloseDisplay(probe);

  host.Signal(SIGTERM);
  EXPECT_EQ(host.Wait(), 0) << ReadBytes(log);
  EXPECT_NE(ReadBytes(log).find("saved " + preset), std::string::npos) << ReadBytes(log);
}

TEST(HostEdit, BadRequestsFailBeforeAnyWindowOpens) {
  TempDir dir;
  const std::string log = dir.Path("edit.log");
  const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
      {{"edit", "--save", dir.Path("never.aupreset")}, "needs an X display"},
      {{"edit", "--save", dir.Path("missing/dir/p.aupreset")}, "cannot write"},
      {{"edit", "--scale", "4"}, "--scale"},
      {{"edit", "--save"}, "needs a value"},
      {{"edit", "extra"}, "unexpected argument"},
  };
  for (const auto& [arguments, message] : refusals) {
    HostProcess host(":9999", arguments, log);
    EXPECT_EQ(host.Wait(), 2) << ReadBytes(log);
    EXPECT_NE(ReadBytes(log).find(message), std::string::npos) << ReadBytes(log);
  }
  EXPECT_EQ(dir.Files().size(), 1u) << "only the log: no preset without an editing session";
}

}  // namespace
