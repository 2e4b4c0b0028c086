// .aupreset files, XML or binary, read and listed the way `korval-host preset show` does. What the
// host accepted it must be able to write out again, and read back what it wrote.
#include <cstddef>
#include <cstdint>

#include "fuzz/temp_file.h"
#include "host/files/preset_file.h"

using korval_host::CFRef;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteTempFile("input.aupreset", data, size);
  CFRef<CFPropertyListRef> state;
  if (!korval_host::ReadPresetFile(path, &state).empty()) return 0;
  korval_host::DescribePreset(state.Get());

  CFRef<CFDataRef> xml(CFPropertyListCreateXMLData(nullptr, state.Get()));
  if (!xml) return 0;
  CFRef<CFPropertyListRef> reread(
      CFPropertyListCreateFromXMLData(nullptr, xml.Get(), kCFPropertyListImmutable, nullptr));
  if (!reread) __builtin_trap();
  return 0;
}
