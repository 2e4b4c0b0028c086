// korval-host: a command-line Audio Unit host for rendering files, inspecting and validating a unit,
// handling its presets and showing its editor.
#include <cstdio>
#include <cstring>

#include "host/bundle_version.h"
#include "host/commands.h"
#include "korval_platform/host.h"

namespace {

const char kUsage[] =
    "usage: korval-host [--bundle DIR] [--component TYPE:SUBTYPE:MAKER] COMMAND ...\n"
    "  (the unit is the one the bundle's Info.plist lists, unless --component names another)\n"
    "  render IN.wav OUT.wav [--param NAME=VALUE]... [--preset FILE.aupreset] [--block N] [--bypass]\n"
    "         [--tail SECONDS]\n"
    "  info\n"
    "  preset save FILE.aupreset [--param NAME=VALUE]...\n"
    "  preset show FILE.aupreset\n"
    "  validate\n"
    "  demo-input OUT.wav\n"
    "  snapshot OUT.png [--param NAME=VALUE]... [--scale 2] [--layout fixed|knobs|sliders]\n"
    "  snapshot --panel controls OUT.png\n"
    "  edit [--scale 2] [--save FILE.aupreset] [--layout fixed|knobs|sliders]\n"
    "  plot OUT.png [--param NAME=VALUE]... [--rate R]\n"
    "  impulse OUT.wav [--rate R]\n"
    "Parameters are given by name or index, in the units the info command shows.\n"
    "render goes on after the input until the output stays below -96 dBFS for 1 s, at most for the\n"
    "unit's tail time (none when bypassed); --tail SECONDS renders that much tail instead.\n"
    "plot draws the unit's impulse response measured at R Hz: its energy decay with the reverb time\n"
    "(RT60) and its magnitude response. impulse writes the built-in impulse as the effect uses it at\n"
    "R Hz as a mono 32-bit float WAV. R is whole Hz from 8000 to 768000, 48000 by default.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace korval_host;
  KorvSetMainBundle("com.korvaline.korval-host", nullptr);

  HostContext context{KORV_DEFAULT_BUNDLE_DIR, {kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0}};
  Arguments arguments;
  bool bundleGiven = false, componentGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--bundle" || argument == "--component") {
      if (i + 1 >= argc) return Fail(kExitBadInput, argument + " needs a value");
      const std::string value = argv[++i];
      if (argument == "--bundle") {
        context.bundleDir = value;
        bundleGiven = true;
      } else if (!ParseComponentDescription(value, &context.component)) {
        return Fail(kExitBadInput, "--component needs TYPE:SUBTYPE:MAKER, three four-character codes");
      } else {
        componentGiven = true;
      }
    } else if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else {
      arguments.push_back(argument);
    }
  }
  // Without --component the host opens the unit the bundle lists. The built-in default stays for the
  // default bundle, so that commands needing no unit work before it is built.
  if (!componentGiven) {
    bool damaged = false;
    const std::string error = ReadListedUnit(context.bundleDir, &context.component, &damaged);
    if (!error.empty() && bundleGiven) {
      return Fail(damaged ? kExitBadInput : kExitFailed,
                  "cannot load the plug-in bundle " + context.bundleDir + ": " + error);
    }
  }
  if (arguments.empty()) {
    std::fputs(kUsage, stderr);
    return kExitBadInput;
  }
  const std::string command = arguments.front();
  arguments.erase(arguments.begin());
  if (command == "render") return RunRender(context, arguments);
  if (command == "info") return RunInfo(context, arguments);
  if (command == "preset") return RunPreset(context, arguments);
  if (command == "validate") return RunValidate(context, arguments);
  if (command == "demo-input") return RunDemoInput(arguments);
  if (command == "snapshot") return RunSnapshot(context, arguments);
  if (command == "edit") return RunEdit(context, arguments);
  if (command == "plot") return RunPlot(context, arguments);
  if (command == "impulse") return RunImpulse(context, arguments);
  std::fputs(kUsage, stderr);
  return Fail(kExitBadInput, "unknown command \"" + command + "\"");
}
