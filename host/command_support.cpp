// What the subcommands share: opening the unit and reporting failures.
#include <cstdio>

#include "host/commands.h"

namespace korval_host {

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "korval-host: %s\n", message.c_str());
  return status;
}

std::string StatusText(OSStatus status) { return "status " + std::to_string(status); }

std::unique_ptr<HostedUnit> OpenUnit(const HostContext& context) {
  std::string error = RegisterBundle(context.bundleDir);
  if (!error.empty()) {
    Fail(kExitFailed, error);
    return nullptr;
  }
  std::unique_ptr<HostedUnit> unit = HostedUnit::Open(context.component, &error);
  if (!unit) Fail(kExitFailed, error);
  return unit;
}

}  // namespace korval_host
