#pragma once
// The subcommands of korval-host. Each prints its own messages and returns the exit status.
#include <memory>
#include <string>
#include <vector>

#include "host/hosted_unit.h"

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

// Registers the bundle and opens the unit; null after printing why not.
std::unique_ptr<HostedUnit> OpenUnit(const HostContext& context);
// Prints "korval-host: message" on standard error and returns the status.
int Fail(int status, const std::string& message);
std::string StatusText(OSStatus status);

}  // namespace korval_host
