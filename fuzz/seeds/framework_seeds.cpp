// Program and bank files, state and presets chunks and Base64 texts, as the framework writes them.
#include <cstdlib>
#include <string>

#include "framework/base64.h"
#include "fuzz/fuzz_plug.h"
#include "fuzz/seeds/seed_writer.h"
#include "fuzz/temp_file.h"

namespace {
Bytes ChunkBytes(const ByteChunk& chunk) { return Bytes(chunk.GetBytes(), chunk.GetBytes() + chunk.Size()); }

// A plug-in whose parameters and current preset differ from the defaults.
void MoveAway(FuzzPlug* plug) {
  plug->RestorePreset(1);
  plug->GetParam(0)->Set(1.0);
  plug->GetParam(2)->Set(-2.0);
  plug->GetParam(4)->Set(7.25);
  plug->ModifyCurrentPreset("a renamed preset that is longer than a program name may be");
}

template <class Save>
Bytes SavedFile(Save save) {
  BRM_String path;
  path.Set(WriteTempFile("seed", nullptr, 0).c_str());
  if (!save(&path)) std::abort();
  return ReadFileBytes(path.Get());
}
}  // namespace

void WriteFrameworkSeeds(const SeedWriter& seeds) {
  for (const bool chunks : {false, true}) {
    const std::string kind = chunks ? "chunks" : "values";
    const uint8_t chunkBit = chunks ? 1 : 0;
    FuzzPlug plug(chunks);
    MoveAway(&plug);
    seeds.Add("fxp_fxb", kind + ".fxp", chunkBit, SavedFile([&](BRM_String* p) { return plug.SaveProgramAsFXP(p); }));
    seeds.Add("fxp_fxb", kind + ".fxb", chunkBit | 2, SavedFile([&](BRM_String* p) { return plug.SaveBankAsFXB(p); }));

    ByteChunk state, presets;
    plug.SerializeState(&state);
    plug.SerializePresets(&presets);
    seeds.Add("state_chunk", kind + "-state", chunkBit, ChunkBytes(state));
    seeds.Add("state_chunk", kind + "-presets", chunkBit | 2, ChunkBytes(presets));

    // Base64 texts of the chunks, decoded into room for all of it and into too little.
    for (const ByteChunk* chunk : {&state, &presets}) {
      std::string text(static_cast<size_t>(Base64EncodedSize(chunk->Size())), '\0');
      base64encode(chunk->GetBytes(), text.data(), chunk->Size());
      const Bytes textBytes(text.begin(), text.end() - 1);
      const std::string name = kind + (chunk == &state ? "-state" : "-presets");
      seeds.Add("base64", name + "-room", 255, textBytes);
      seeds.Add("base64", name + "-short", static_cast<uint8_t>(chunk->Size() / 2), textBytes);
    }
  }
  // Every length of tail: no padding, one "=" and two.
  for (int n = 1; n <= 3; ++n) {
    const unsigned char bytes[3] = {0xfb, 0xff, 0x01};
    char text[Base64EncodedSize(3)];
    base64encode(bytes, text, n);
    seeds.Add("base64", "tail-" + std::to_string(n), 8, Bytes(text, text + 4));
  }
}
