// State and presets chunks as a host hands them back. The first byte picks the plug-in kind
// (bit 0: state chunks) and the reader (bit 1: presets); the rest is the chunk. The plug-in must end
// sane, and a state it accepted must come back unchanged through its own chunk.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_plug.h"
#include "fuzz/param_check.h"

namespace {
void RequireSameValues(const IFxBase& a, const IFxBase& b) {
  for (int i = 0; i < a.NParams(); ++i)
    if (a.GetParam(i)->Value() != b.GetParam(i)->Value()) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool chunks = data[0] & 1, presets = data[0] & 2;
  ByteChunk input;
  input.PutBytes(data + 1, static_cast<int>(size - 1));
  FuzzPlug plug(chunks);
  const int pos = presets ? plug.UnserializePresets(&input, 0) : plug.UnserializeState(&input, 0);
  RequireSaneState(plug);
  if (pos < 0) return 0;

  ByteChunk state;
  if (!plug.SerializeState(&state)) __builtin_trap();
  FuzzPlug copy(chunks);
  if (copy.UnserializeState(&state, 0) != state.Size()) __builtin_trap();
  RequireSameValues(plug, copy);
  ByteChunk bank;
  if (!plug.SerializePresets(&bank)) __builtin_trap();
  return 0;
}
