#pragma once
// The subcommands of korval-host. Each prints its own messages and returns the exit status.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/unit/hosted_unit.h"

namespace korval_host {

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitBadInput = 2 };

struct HostContext {
  std::string bundleDir;
  ComponentDescription component;
};

using Arguments = std::vector<std::string>;

int RunRender(const HostContext& context, const Arguments& arguments);
int RunInfo(const HostContext& context, const Arguments& arguments);
int RunPreset(const HostContext& context, const Arguments& arguments);
int RunValidate(const HostContext& context, const Arguments& arguments);
int RunDemoInput(const Arguments& arguments);
int RunDemoMidi(const Arguments& arguments);
int RunSnapshot(const HostContext& context, const Arguments& arguments);
int RunEdit(const HostContext& context, const Arguments& arguments);
int RunPlot(const HostContext& context, const Arguments& arguments);
int RunImpulse(const HostContext& context, const Arguments& arguments);

// The sample rates a unit is rendered and measured at and the impulse written for: those the plug-ins
// built on this framework accept.
constexpr int kLowestUnitRate = 8000;
constexpr int kHighestUnitRate = 768000;

// KORVALINE's unit: the one the host opens unless told otherwise, and the only one whose impulse the
// host holds.
constexpr ComponentDescription kKorvalineUnit = {kAudioUnitType_Effect, MakeFourCharCode("Kor1"),
                                                 MakeFourCharCode("Brmo"), 0, 0};

// Registers the bundle and opens the unit; null after printing why not, with the exit status for that
// in *failure (kExitBadInput when the fault is the bundle's: an unusable Info.plist or binary, or an
// entry that is no Audio Unit).
std::unique_ptr<HostedUnit> OpenUnit(const HostContext& context, int* failure);
// Prints "korval-host: message" on standard error and returns the status.
int Fail(int status, const std::string& message);
// Prints "korval-host: warning: message" on standard error.
void Warn(const std::string& message);
// Where a command says what it wrote to path: standard output, unless the file is standard output itself
// ("-", /dev/stdout), where the words would land in the data.
std::FILE* ReportStream(const std::string& path);
std::string StatusText(OSStatus status);
// Sets each "--param" text (NAME=VALUE) on the unit; kExitOk, or the status after printing why not.
int ApplyParameterTexts(const HostedUnit& unit, const std::vector<std::string>& texts);
// Writes the unit's state as an .aupreset and says so; kExitOk, or the status after printing why not.
int SaveUnitPreset(const HostedUnit& unit, const std::string& path);
// The value of "--scale": the screen's device pixels per point, 1 or 2.
int ParseScaleOption(const std::string& text, int* scale);
// The value of "--layout": fixed (the front panel), knobs or sliders (generated editors).
int ParseLayoutOption(const std::string& text, unsigned* layout);
// Asks the unit to show that editor in the views it makes from now on.
int SelectEditorLayout(const HostedUnit& unit, unsigned layout);
// The value of "--rate": whole Hz from kLowestUnitRate to kHighestUnitRate.
int ParseRateOption(const std::string& text, int* rate);

}  // namespace korval_host
