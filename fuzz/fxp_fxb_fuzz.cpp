// Program and bank files. The first byte picks the plug-in kind (bit 0: state chunks) and the
// reader (bit 1: bank); the rest is the file. Whatever a file holds, the plug-in must end sane, and
// whatever it loaded must save again.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_plug.h"
#include "fuzz/param_check.h"
#include "fuzz/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool chunks = data[0] & 1, bank = data[0] & 2;
  BRM_String path;
  path.Set(WriteTempFile("input", data + 1, size - 1).c_str());
  FuzzPlug plug(chunks);
  const bool loaded = bank ? plug.LoadBankFromFXB(&path) : plug.LoadProgramFromFXP(&path);
  RequireSaneState(plug);
  if (loaded) {
    BRM_String saved;
    saved.Set(WriteTempFile("saved", nullptr, 0).c_str());
    if (!(bank ? plug.SaveBankAsFXB(&saved) : plug.SaveProgramAsFXP(&saved))) __builtin_trap();
  }
  return 0;
}
