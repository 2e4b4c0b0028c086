// korval-host: a command-line Audio Unit host for rendering files, inspecting and validating a unit,
// handling its presets and showing its editor.
#include <cstdio>
#include <cstring>

#include "host/commands/commands.h"
#include "host/default_bundle.h"
#include "host/unit/bundle_version.h"
#include "korval_platform/host.h"

namespace {

// The whole manual: the installed korval-host(1) page is made from this text.
const char kUsage[] =
    "Usage: korval-host [--bundle DIR] [--component TYPE:SUBTYPE:MAKER] COMMAND [ARGUMENT]...\n"
    "Loads an Audio Unit plug-in bundle the way a host does, to render sound files through the unit,\n"
    "inspect and validate it, handle its presets and show or draw its editor.\n"
    "\n"
    "Commands:\n"
    "  render IN.wav OUT.wav [--param NAME=VALUE]... [--preset FILE.aupreset] [--block N] [--bypass] [--tail SECONDS]\n"
    "                    renders IN.wav through the unit into OUT.wav, in blocks of N frames (512 by\n"
    "                    default); it goes on after the input until the output stays below -96 dBFS\n"
    "                    for 1 s, at most for the unit's tail time (none when bypassed); --tail\n"
    "                    renders that much tail instead\n"
    "  render --midi FILE.mid OUT.wav [--rate R] [the options above]\n"
    "  render IN.wav OUT.wav --midi FILE.mid [the options above]\n"
    "                    plays a Standard MIDI File (format 0 or 1) on an instrument into OUT.wav, a\n"
    "                    32-bit float WAV at R Hz with the channels of the unit's output; with IN.wav,\n"
    "                    on an effect played by MIDI. Each event reaches the unit at its own sample,\n"
    "                    whatever N; the render runs to the last event, then the tail. MIDI files of\n"
    "                    more than 16 MiB or 1048576 events, or playing longer than 3600 s, are refused\n"
    "  info\n"
    "                    prints the unit's kind (effect or instrument, whether it takes MIDI), codes,\n"
    "                    version, parameters and presets\n"
    "  preset save FILE.aupreset [--param NAME=VALUE]...\n"
    "                    writes the unit's state as a preset file\n"
    "  preset show FILE.aupreset\n"
    "                    loads a preset file into the unit and prints the parameters it gives\n"
    "  validate\n"
    "                    opens the unit as a host does and checks its properties, parameters,\n"
    "                    presets, rendering and state; an instrument is checked as one: no input,\n"
    "                    its sound made from notes sent through the MIDI selector\n"
    "  demo-input OUT.wav\n"
    "                    writes the built-in demo clip, plucked strings over a small drum pattern\n"
    "  demo-midi OUT.mid\n"
    "                    writes the built-in MIDI phrase, five bars of chords under a melody with the\n"
    "                    sustain pedal, a pitch bend and a tempo change, as a Standard MIDI File\n"
    "  snapshot OUT.png [--param NAME=VALUE]... [--scale 2] [--layout fixed|knobs|sliders]\n"
    "                    draws the unit's editor into a picture\n"
    "  snapshot --panel controls OUT.png\n"
    "                    draws the framework's text and shape controls into a picture\n"
    "  edit [--scale 2] [--save FILE.aupreset] [--layout fixed|knobs|sliders]\n"
    "                    shows the editor on the X display until its window is closed, then saves\n"
    "                    the preset --save names\n"
    "  plot OUT.png [--param NAME=VALUE]... [--rate R]\n"
    "                    draws the unit's impulse response measured at R Hz: its energy decay with\n"
    "                    the reverb time (RT60) and its magnitude response (not for an instrument,\n"
    "                    which takes no sound)\n"
    "  impulse OUT.wav [--rate R]\n"
    "                    writes the built-in impulse as the effect uses it at R Hz, as a mono 32-bit\n"
    "                    float WAV\n"
    "Parameters are given by name or index, in the units the info command shows. R is whole Hz from\n"
    "8000 to 768000, 48000 by default.\n"
    "\n"
    "Exit status:\n"
    "  0                 success\n"
    "  1                 failure: the bundle or unit cannot be loaded, a check or a render failed,\n"
    "                    a file cannot be written\n"
    "  2                 bad input: an unknown command or option, a value out of range, an unreadable\n"
    "                    input file or MIDI file, --midi for a unit that takes no MIDI, plot for\n"
    "                    a unit that takes no sound, a bundle whose unit is no Audio Unit\n"
    "\n"
    "Options:\n"
    "  --bundle DIR      the plug-in bundle (a .component folder) to load instead of KORVALINE's\n"
    "  --component TYPE:SUBTYPE:MAKER\n"
    "                    the unit to open, by its three four-character codes, instead of the first\n"
    "                    unit the bundle's Info.plist lists\n"
    "  -h, --help        print this help and exit\n"
    "  --version         print the version and exit\n"
    "\n"
    "Files:\n"
    "  BINDIR/" KORV_INSTALLED_BUNDLE_FROM_HOST "\n"
    "                    KORVALINE, opened when no --bundle is given (BINDIR is the folder holding\n"
    "                    korval-host); run from the build tree that made it, korval-host opens that\n"
    "                    build's bundle instead\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace korval_host;
  KorvSetMainBundle("com.korvaline.korval-host", nullptr);

  HostContext context{DefaultBundleDir(), {}};
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
    } else if (argument == "--version") {
      std::puts("korval-host " KORV_VERSION_TEXT);
      return kExitOk;
    } else {
      arguments.push_back(argument);
    }
  }
  // Without --component the host opens the unit the bundle lists. A default bundle that cannot be read
  // fails only the commands that open a unit, so the others work before it is built.
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
  if (command == "demo-midi") return RunDemoMidi(arguments);
  if (command == "snapshot") return RunSnapshot(context, arguments);
  if (command == "edit") return RunEdit(context, arguments);
  if (command == "plot") return RunPlot(context, arguments);
  if (command == "impulse") return RunImpulse(context, arguments);
  std::fputs(kUsage, stderr);
  return Fail(kExitBadInput, "unknown command \"" + command + "\"");
}
