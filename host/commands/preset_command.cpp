// korval-host preset save / show: the unit's state through .aupreset files.
#include <cstdio>
#include <vector>

#include "host/commands/commands.h"
#include "host/files/preset_file.h"

namespace korval_host {

namespace {

int SavePreset(const HostContext& context, const Arguments& arguments) {
  std::string path;
  std::vector<std::string> parameterTexts;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--param") {
      if (i + 1 >= arguments.size()) return Fail(kExitBadInput, "--param needs a value");
      parameterTexts.push_back(arguments[++i]);
    } else if (arguments[i].starts_with("--") || !path.empty()) {
      return Fail(kExitBadInput, "unexpected argument " + arguments[i]);
    } else {
      path = arguments[i];
    }
  }
  if (path.empty()) return Fail(kExitBadInput, "preset save needs a file name");

  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  const int applied = ApplyParameterTexts(*unit, parameterTexts);
  if (applied != kExitOk) return applied;
  return SaveUnitPreset(*unit, path);
}

int ShowPreset(const HostContext& context, const Arguments& arguments) {
  if (arguments.size() != 1) return Fail(kExitBadInput, "preset show needs one file name");
  CFRef<CFPropertyListRef> state;
  std::string error = ReadPresetFile(arguments[0], &state);
  if (!error.empty()) return Fail(kExitBadInput, error);
  std::printf("%s:\n%s", arguments[0].c_str(), DescribePreset(state.Get()).c_str());

  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  const OSStatus status = unit->RestoreState(state.Get());
  if (status != noErr) return Fail(kExitBadInput, "the unit refused this preset (" + StatusText(status) + ")");
  std::printf("parameters after loading it:\n");
  for (const ParameterDescription& parameter : unit->Parameters()) {
    AudioUnitParameterValue value = 0;
    unit->GetParameter(parameter.id, &value);
    std::printf("  %s = %g (%s)\n", parameter.name.c_str(), value, unit->DisplayValue(parameter.id, value).c_str());
  }
  return kExitOk;
}

}  // namespace

int RunPreset(const HostContext& context, const Arguments& arguments) {
  if (!arguments.empty() && arguments[0] == "save") return SavePreset(context, {arguments.begin() + 1, arguments.end()});
  if (!arguments.empty() && arguments[0] == "show") return ShowPreset(context, {arguments.begin() + 1, arguments.end()});
  return Fail(kExitBadInput, "preset needs save or show");
}

}  // namespace korval_host
