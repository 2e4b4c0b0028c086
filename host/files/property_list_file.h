#pragma once
// Property list files (presets, a bundle's Info.plist) read into Core Foundation objects.
#include <cstdint>
#include <string>

#include "host/unit/cf_ref.h"

namespace korval_host {

// Far beyond any preset or bundle description (a preset holds a few numbers and a state chunk).
constexpr uint64_t kLargestPropertyListFile = 8u << 20;

// Where a property list may come from. A bundle's description is a regular file; a preset may also
// come through a FIFO or pipe, as a shell hands over `<(command)`.
enum class FileSource { kRegularFile, kFileOrStream };

// Empty on success. Refuses files larger than kLargestPropertyListFile, files that are not property
// lists holding a dictionary, saying the file "is not <kind>" (e.g. "a preset file"), and for
// kRegularFile anything else without opening it (a FIFO's open would wait for a writer). *damaged,
// when given, tells whether the file was there but unusable, rather than missing or unreadable.
std::string ReadDictionaryFile(const std::string& path, const std::string& kind, FileSource source,
                               CFRef<CFPropertyListRef>* dictionary, bool* damaged = nullptr);

}  // namespace korval_host
