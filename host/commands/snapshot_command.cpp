// korval-host snapshot: the unit's editor shown on a headless screen, written out as a PNG.
#include <korval_platform/headless_display.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "gui/gallery/controls_panel.h"
#include "host/commands/commands.h"
#include "host/files/picture_file.h"
#include "host/unit/editor_view.h"
#include "raster/rast_bitmap.h"

namespace korval_host {

namespace {

// Steps of the clock while waiting for the editor to settle: a few timer periods of a typical
// editor, and a bound for editors that never stop redrawing.
constexpr NSTimeInterval kSettleStep = 0.05;
constexpr int kStableStepsNeeded = 3;
constexpr int kMaxSettleSteps = 200;

struct SnapshotOptions {
  std::string outputPath;
  std::vector<std::string> parameters;
  int scale = 1;
  // A panel of the editor framework's own drawn without the unit, instead of the unit's editor.
  std::string panel;
  unsigned layout = 0;
};

int ParseOptions(const Arguments& arguments, SnapshotOptions* options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--param" || argument == "--scale" || argument == "--panel" || argument == "--layout") {
      if (i + 1 >= arguments.size()) return Fail(kExitBadInput, argument + " needs a value");
      const std::string& value = arguments[++i];
      if (argument == "--param") {
        options->parameters.push_back(value);
      } else if (argument == "--panel") {
        options->panel = value;
      } else if (argument == "--layout") {
        if (const int status = ParseLayoutOption(value, &options->layout); status != kExitOk) return status;
      } else if (const int status = ParseScaleOption(value, &options->scale); status != kExitOk) {
        return status;
      }
    } else if (argument.starts_with("--") || !options->outputPath.empty()) {
      return Fail(kExitBadInput, "unexpected argument " + argument);
    } else {
      options->outputPath = argument;
    }
  }
  if (options->outputPath.empty()) return Fail(kExitBadInput, "snapshot needs an output file name");
  if (!options->panel.empty() && options->panel != "controls")
    return Fail(kExitBadInput, "unknown panel " + options->panel + " (there is: controls)");
  if (!options->panel.empty() && !options->parameters.empty())
    return Fail(kExitBadInput, "--param sets the unit's parameters; a panel has none");
  return kExitOk;
}

// Runs the clock until the screen has stayed the same for a few steps; false when it never does.
bool SettleScreen(korv_appkit::HeadlessDisplay* display, NSWindow* window) {
  const size_t pixelCount = static_cast<size_t>(display->screenWidth(window)) * display->screenHeight(window);
  std::vector<uint32_t> previous(display->screenPixels(window), display->screenPixels(window) + pixelCount);
  int stableSteps = 0;
  for (int step = 0; step < kMaxSettleSteps && stableSteps < kStableStepsNeeded; ++step) {
    display->advanceTime(kSettleStep);
    const uint32_t* now = display->screenPixels(window);
    if (std::memcmp(now, previous.data(), pixelCount * sizeof(uint32_t)) == 0) {
      ++stableSteps;
    } else {
      stableSteps = 0;
      previous.assign(now, now + pixelCount);
    }
  }
  return stableSteps >= kStableStepsNeeded;
}

// The screen's bytes A, R, G, B per pixel are the raster library's pixel layout, so rows copy as
// they are. An existing file is only replaced by a complete image (see BRM_FileWriter).
std::string WriteScreenPNG(const std::string& path, const uint32_t* pixels, int width, int height) {
  RAST_MemBitmap image(width, height);
  if (!image.getBits()) return "no memory for a " + std::to_string(width) + " x " + std::to_string(height) + " image";
  for (int y = 0; y < height; ++y)
    std::memcpy(image.getBits() + static_cast<size_t>(y) * image.getRowSpan(), pixels + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * sizeof(uint32_t));
  return WritePictureFile(path, &image);
}

int SnapshotControlsPanel(const std::string& path) {
  RAST_MemBitmap panel;
  std::string error;
  if (!DrawControlsPanel(&panel, &error)) return Fail(kExitFailed, error);
  error = WritePictureFile(path, &panel);
  if (!error.empty()) return Fail(kExitBadInput, error);
  std::fprintf(ReportStream(path), "wrote %s (%d x %d)\n", path.c_str(), panel.getWidth(), panel.getHeight());
  return kExitOk;
}

}  // namespace

int RunSnapshot(const HostContext& context, const Arguments& arguments) {
  SnapshotOptions options;
  if (const int status = ParseOptions(arguments, &options); status != kExitOk) return status;
  if (!options.panel.empty()) return SnapshotControlsPanel(options.outputPath);

  // The display comes first: the editor's timer joins the run loop it drives.
  korv_appkit::HeadlessDisplay display(options.scale);
  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  if (const int status = ApplyParameterTexts(*unit, options.parameters); status != kExitOk) return status;
  if (const int status = SelectEditorLayout(*unit, options.layout); status != kExitOk) return status;
  std::string error;
  std::unique_ptr<EditorView> editor = EditorView::Open(*unit, &error);
  if (!editor) return Fail(kExitFailed, error);

  NSWindow* window = display.openWindow(editor->HostView());
  const bool settled = SettleScreen(&display, window);
  if (settled) {
    error = WriteScreenPNG(options.outputPath, display.screenPixels(window), display.screenWidth(window),
                           display.screenHeight(window));
  }
  const int width = display.screenWidth(window), height = display.screenHeight(window);
  display.closeWindow(window);
  editor.reset();
  if (!settled) return Fail(kExitFailed, "the editor kept redrawing; no snapshot was written");
  if (!error.empty()) return Fail(kExitBadInput, error);
  std::fprintf(ReportStream(options.outputPath), "wrote %s (%d x %d)\n", options.outputPath.c_str(), width, height);
  return kExitOk;
}

}  // namespace korval_host
