// What the subcommands share: opening the unit and reporting failures.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "host/commands/commands.h"
#include "host/commands/parameter_assignment.h"
#include "host/files/preset_file.h"

namespace korval_host {

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "korval-host: %s\n", message.c_str());
  return status;
}

void Warn(const std::string& message) { std::fprintf(stderr, "korval-host: warning: %s\n", message.c_str()); }

std::FILE* ReportStream(const std::string& path) {
  struct stat written, standardOutput;
  const bool isStandardOutput = path == "-" || (stat(path.c_str(), &written) == 0 &&
                                                fstat(STDOUT_FILENO, &standardOutput) == 0 &&
                                                written.st_dev == standardOutput.st_dev &&
                                                written.st_ino == standardOutput.st_ino);
  return isStandardOutput ? stderr : stdout;
}

std::string StatusText(OSStatus status) { return "status " + std::to_string(status); }

std::unique_ptr<HostedUnit> OpenUnit(const HostContext& context, int* failure) {
  bool damaged = false;
  std::string error = RegisterBundle(context.bundleDir, &damaged);
  std::unique_ptr<HostedUnit> unit;
  if (error.empty()) unit = HostedUnit::Open(context.component, &error, &damaged);
  *failure = damaged ? kExitBadInput : kExitFailed;
  if (!unit) Fail(*failure, error);
  return unit;
}

int ApplyParameterTexts(const HostedUnit& unit, const std::vector<std::string>& texts) {
  const std::vector<ParameterDescription> parameters = unit.Parameters();
  for (const std::string& text : texts) {
    ParameterAssignment assignment{};
    const std::string error = ResolveParameterAssignment(parameters, text, &assignment);
    if (!error.empty()) return Fail(kExitBadInput, error);
    const OSStatus status = unit.SetParameter(assignment.id, assignment.value);
    if (status != noErr) return Fail(kExitFailed, "setting a parameter failed (" + StatusText(status) + ")");
  }
  return kExitOk;
}

int SaveUnitPreset(const HostedUnit& unit, const std::string& path) {
  CFRef<CFPropertyListRef> state;
  const OSStatus status = unit.SaveState(&state);
  if (status != noErr || !state) return Fail(kExitFailed, "the unit gave no state (" + StatusText(status) + ")");
  const std::string error = WritePresetFile(path, state.Get());
  if (!error.empty()) return Fail(kExitBadInput, error);
  std::fprintf(ReportStream(path), "saved %s\n", path.c_str());
  return kExitOk;
}

int ParseScaleOption(const std::string& text, int* scale) {
  long value = 0;
  if (!ParseCount(text, 1, 2, &value)) return Fail(kExitBadInput, "--scale needs 1 or 2");
  *scale = static_cast<int>(value);
  return kExitOk;
}

}  // namespace korval_host
