// korval-host edit: the unit's editor in a window on the X server; parameter changes made with it
// are printed as they happen, and the final state can be saved as a preset.
#include <korval_platform/host.h>
#include <korval_platform/x11_display.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include <unistd.h>

#include "host/commands/commands.h"
#include "host/unit/editor_view.h"

namespace korval_host {

namespace {

constexpr NSTimeInterval kServeSlice = 0.1;

volatile std::sig_atomic_t gQuitRequested = 0;
// The display being served, so that a signal also ends a dialog or menu open in it.
korv_appkit::X11Display* volatile gServedDisplay = nullptr;

void RequestQuit(int) {
  gQuitRequested = 1;
  if (korv_appkit::X11Display* display = gServedDisplay) display->interrupt();
}

// Interrupting or terminating ends the session like closing the window, so the edits are saved. A
// server that goes away must not end it either: writing to its closed connection would raise SIGPIPE.
class QuitOnSignals {
 public:
  QuitOnSignals()
      : mPreviousInterrupt(std::signal(SIGINT, RequestQuit)),
        mPreviousTerminate(std::signal(SIGTERM, RequestQuit)),
        mPreviousPipe(std::signal(SIGPIPE, SIG_IGN)) {
    gQuitRequested = 0;
  }
  ~QuitOnSignals() {
    std::signal(SIGINT, mPreviousInterrupt);
    std::signal(SIGTERM, mPreviousTerminate);
    std::signal(SIGPIPE, mPreviousPipe);
  }
  QuitOnSignals(const QuitOnSignals&) = delete;
  QuitOnSignals& operator=(const QuitOnSignals&) = delete;

 private:
  void (*mPreviousInterrupt)(int);
  void (*mPreviousTerminate)(int);
  void (*mPreviousPipe)(int);
};

// Makes the display the one a signal interrupts while it lives.
class ServedDisplay {
 public:
  explicit ServedDisplay(korv_appkit::X11Display* display) { gServedDisplay = display; }
  ~ServedDisplay() { gServedDisplay = nullptr; }
  ServedDisplay(const ServedDisplay&) = delete;
  ServedDisplay& operator=(const ServedDisplay&) = delete;
};

struct EditOptions {
  std::string presetPath;
  int scale = 1;
  unsigned layout = 0;
};

int ParseOptions(const Arguments& arguments, EditOptions* options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument != "--save" && argument != "--scale" && argument != "--layout")
      return Fail(kExitBadInput, "unexpected argument " + argument);
    if (i + 1 >= arguments.size()) return Fail(kExitBadInput, argument + " needs a value");
    const std::string& value = arguments[++i];
    if (argument == "--save") {
      options->presetPath = value;
    } else if (argument == "--layout") {
      if (const int status = ParseLayoutOption(value, &options->layout); status != kExitOk) return status;
    } else if (const int status = ParseScaleOption(value, &options->scale); status != kExitOk) {
      return status;
    }
  }
  return kExitOk;
}

// Prints the unit's parameter events the way a host's automation view would see them.
class ParameterPrinter {
 public:
  explicit ParameterPrinter(const HostedUnit& unit) : mUnit(unit), mParameters(unit.Parameters()) {
    mListening = KorvAddAUEventListener(&ParameterPrinter::OnEvent, this) == noErr;
  }
  ~ParameterPrinter() {
    if (mListening) KorvRemoveAUEventListener(&ParameterPrinter::OnEvent, this);
  }
  ParameterPrinter(const ParameterPrinter&) = delete;
  ParameterPrinter& operator=(const ParameterPrinter&) = delete;
  bool Listening() const { return mListening; }

 private:
  static void OnEvent(void* userData, void*, const AudioUnitEvent* event) {
    static_cast<ParameterPrinter*>(userData)->Print(*event);
  }

  void Print(const AudioUnitEvent& event) const {
    if (event.mEventType > kAudioUnitEvent_EndParameterChangeGesture) return;
    const AudioUnitParameter& parameter = event.mArgument.mParameter;
    if (parameter.mAudioUnit != mUnit.Unit()) return;
    const std::string name = NameOf(parameter.mParameterID);
    if (event.mEventType == kAudioUnitEvent_BeginParameterChangeGesture) {
      std::printf("%s: gesture begins\n", name.c_str());
    } else if (event.mEventType == kAudioUnitEvent_EndParameterChangeGesture) {
      std::printf("%s: gesture ends\n", name.c_str());
    } else {
      AudioUnitParameterValue value = 0;
      const OSStatus status = mUnit.GetParameter(parameter.mParameterID, &value);
      if (status == noErr) {
        std::printf("%s = %g (%s)\n", name.c_str(), value, mUnit.DisplayValue(parameter.mParameterID, value).c_str());
      } else {
        std::printf("%s changed, but cannot be read (%s)\n", name.c_str(), StatusText(status).c_str());
      }
    }
    // Whoever watches the output sees each change as it happens.
    std::fflush(stdout);
  }

  std::string NameOf(AudioUnitParameterID id) const {
    for (const ParameterDescription& parameter : mParameters)
      if (parameter.id == id) return parameter.name;
    return "parameter " + std::to_string(id);
  }

  const HostedUnit& mUnit;
  const std::vector<ParameterDescription> mParameters;
  bool mListening = false;
};

// Checked before editing starts: edits made in the window would be lost if the preset could not be
// written at the end.
bool CanWriteInto(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  return access(directory.c_str(), W_OK) == 0;
}

}  // namespace

int RunEdit(const HostContext& context, const Arguments& arguments) {
  EditOptions options;
  if (const int status = ParseOptions(arguments, &options); status != kExitOk) return status;

  if (!options.presetPath.empty() && !CanWriteInto(options.presetPath))
    return Fail(kExitBadInput, "cannot write " + options.presetPath);

  // Before any window shows, so that no signal can end the session unsaved.
  QuitOnSignals quitOnSignals;
  korv_appkit::X11Display display(nullptr, options.scale);
  if (!display.isOpen())
    return Fail(kExitBadInput, "edit needs an X display, and none could be opened (is DISPLAY set?)");
  ServedDisplay served(&display);
  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  ParameterPrinter printer(*unit);
  if (!printer.Listening()) return Fail(kExitFailed, "cannot listen to the unit's parameter events");
  if (const int status = SelectEditorLayout(*unit, options.layout); status != kExitOk) return status;
  std::string error;
  std::unique_ptr<EditorView> editor = EditorView::Open(*unit, &error);
  if (!editor) return Fail(kExitFailed, error);

  // At the top left of the screen.
  const NSRect screen = NSScreen::mainScreen()->frame();
  const CGFloat top = std::max<CGFloat>(0, NSHeight(screen) - editor->Size().height);
  const std::string title = "korval-host edit: " + FourCharCodeText(unit->Description().componentSubType) + " by " +
                            FourCharCodeText(unit->Description().componentManufacturer);
  // Our own reference keeps the window readable after the user closes it.
  NSWindow* window = NSRetained(display.openWindow(editor->HostView(), NSString(title), NSMakePoint(0, top)));
  if (!window) return Fail(kExitFailed, "the X server did not show the editor's window");
  std::printf("editing; close the window (or interrupt) to finish\n");
  std::fflush(stdout);

  while (!gQuitRequested && display.isOpen() && window->isVisible()) display.runFor(kServeSlice);
  const bool serverLost = !display.isOpen();
  const bool destroyedElsewhere = display.wasDestroyedElsewhere(window);
  display.closeWindow(window);
  window->release();
  editor.reset();

  // The edits are kept even when the server went away.
  if (!options.presetPath.empty()) {
    if (const int status = SaveUnitPreset(*unit, options.presetPath); status != kExitOk) return status;
  }
  if (serverLost) return Fail(kExitFailed, "the connection to the X server was lost");
  if (destroyedElsewhere) return Fail(kExitFailed, "the editor's window was destroyed by another program");
  return kExitOk;
}

}  // namespace korval_host
