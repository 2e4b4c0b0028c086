#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_plug.h"

namespace {
std::vector<unsigned char> Bytes(const ByteChunk& chunk) {
  return std::vector<unsigned char>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}
}  // namespace

TEST(State, ChunkHoldsPlainValuesAndShortChunksFail) {
  TestPlug plug;
  plug.SetValues(0.0, 1.0, 0.0);
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(&chunk));
  ASSERT_EQ(chunk.Size(), 24);
  double values[3];
  std::memcpy(values, chunk.GetBytes(), 24);
  EXPECT_EQ(values[1], 1.0);

  plug.SetValues(0.5, 0.5, 5.0);
  EXPECT_EQ(plug.UnserializeState(&chunk, 0), 24);
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.0, 1.0, 0.0}));
  EXPECT_EQ(plug.mParamChanges, (std::vector<int>{0, 1, 2}));

  ByteChunk shortChunk;
  double dry = 0.25, wet = 0.75;
  shortChunk.Put(&dry);
  shortChunk.Put(&wet);
  plug.SetValues(0.0, 0.0, 5.0);
  plug.mParamChanges.clear();
  EXPECT_EQ(plug.UnserializeState(&shortChunk, 0), -1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.25, 0.75, 0.0})) << "the failed read sets 0 clamped";
  EXPECT_EQ(plug.mParamChanges.size(), 3u);

  double stored[3] = {0.25, 0.75 + 1e-7, 0.0};
  EXPECT_TRUE(plug.CompareState(reinterpret_cast<unsigned char*>(stored), 0));
  stored[2] = 0.001;
  EXPECT_FALSE(plug.CompareState(reinterpret_cast<unsigned char*>(stored), 0));
}

TEST(Presets, MakeOperationsFillFreePresetsInOrder) {
  TestPlug plug(4);
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  plug.SetValues(0.1, 0.2, 0.3);
  plug.MakePresetFromNamedParams("x", 1, 2, 3.0);
  plug.MakePreset("all", 0.4, 0.5, -2.0);
  const char* blob = "AAAAAAAA8D8=";  // the double 1.0
  plug.MakePresetFromBlob("blob", blob, 24);
  plug.MakeDefaultPreset(nullptr, 5);
  plug.MakePreset("no room", 0.0, 0.0, 0.0);
  EXPECT_STREQ(plug.GetPresetName(3), "Empty");
  EXPECT_STREQ(plug.GetPresetName(4), "");

  ASSERT_TRUE(plug.RestorePreset("x"));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.1, 0.2, 3.0}));
  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.4, 0.5, -2.0}));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  ASSERT_TRUE(plug.RestorePreset("blob"));
  EXPECT_EQ(plug.Values(), (std::vector<double>{1.0, 0.0, 0.0})) << "the blob chunk keeps its declared size";
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset("missing"));
  EXPECT_FALSE(plug.RestorePreset(9));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
}

TEST(PresetsDeathTest, NamedParamOutOfRangeStops) {
  TestPlug plug(1);
  EXPECT_DEATH(plug.MakePresetFromNamedParams("bad", 1, 3, 1.0), "paramIdx >= 0 && paramIdx < n");
}

TEST(Presets, RestoreRulesForUninitializedAndDamagedPresets) {
  TestPlug plug(3);
  FakeEditor* editor = new FakeEditor;
  plug.AttachGraphics(editor);
  plug.SetValues(0.3, 0.6, 1.5);
  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_STREQ(plug.GetPresetName(1), "user preset 1");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  ASSERT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 2");
  EXPECT_EQ(editor->mPushes.back().value, 1.5) << "controls are redrawn with plain values";
  EXPECT_FALSE(editor->mPushes.back().normalized);

  plug.SetValues(0.9, 0.9, 9.0);
  plug.ModifyCurrentPreset("changed");
  plug.SetValues(0.0, 0.0, 0.0);
  ASSERT_TRUE(plug.RestorePreset("changed"));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.9, 0.9, 9.0}));

  ByteChunk damaged;
  double one = 1.0;
  damaged.Put(&one);
  plug.MakePresetFromChunk("damaged", &damaged);
  EXPECT_FALSE(plug.RestorePreset("damaged"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);

  TestPlug pruned(4);
  pruned.MakeDefaultPreset("kept", 1);
  pruned.MakePreset("second", 0.0, 0.0, 0.0);
  pruned.PruneUninitializedPresets();
  EXPECT_EQ(pruned.NPresets(), 2);
  EXPECT_STREQ(pruned.GetPresetName(1), "second");
}

TEST(Presets, PresetsChunkRoundTripsAndSurvivesDamage) {
  TestPlug source(3);
  source.MakePreset("one", 0.1, 0.2, 1.0);
  source.MakePreset("", 0.3, 0.4, 2.0);
  ByteChunk chunk;
  ASSERT_TRUE(source.SerializePresets(&chunk));

  TestPlug target(3);
  target.MakePreset("old", 0.5, 0.5, 0.5);
  EXPECT_EQ(target.UnserializePresets(&chunk, 0), chunk.Size());
  EXPECT_STREQ(target.GetPresetName(0), "one");
  EXPECT_STREQ(target.GetPresetName(1), "") << "an empty name does not inherit the previous one";
  EXPECT_STREQ(target.GetPresetName(2), "empty");
  EXPECT_EQ(target.Values(), (std::vector<double>{0.1, 0.2, 1.0})) << "the current preset is restored";
  ASSERT_TRUE(target.RestorePreset(1));
  EXPECT_EQ(target.Values(), (std::vector<double>{0.3, 0.4, 2.0}));

  // A name longer than the array is cut; every truncation fails cleanly.
  ByteChunk longName;
  longName.PutStr(std::string(1000, 'L').c_str());
  longName.PutBool(true);
  double state[3] = {0.5, 0.5, 0.5};
  longName.PutBytes(state, sizeof(state));
  TestPlug cut(1);
  EXPECT_EQ(cut.UnserializePresets(&longName, 0), longName.Size());
  EXPECT_EQ(std::string(cut.GetPresetName(0)), std::string(255, 'L'));
  for (int size = 0; size < chunk.Size(); ++size) {
    ByteChunk truncated;
    truncated.PutBytes(chunk.GetBytes(), size);
    TestPlug victim(3);
    EXPECT_LT(victim.UnserializePresets(&truncated, 0), 0) << "size " << size;
  }
}

TEST(Presets, RandomBytesNeverBreakTheChunkReaders) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    ByteChunk chunk;
    int n = static_cast<int>(rng() % 80);
    for (int i = 0; i < n; ++i) {
      unsigned char c = static_cast<unsigned char>(rng() % 4 == 0 ? rng() % 3 : rng());
      chunk.PutBytes(&c, 1);
    }
    TestPlug plug(2);
    int pos = plug.UnserializePresets(&chunk, 0);
    EXPECT_LE(pos, chunk.Size());
    pos = plug.UnserializeState(&chunk, static_cast<int>(rng() % 90) - 5);
    EXPECT_LE(pos, chunk.Size());
    for (double v : plug.Values()) EXPECT_FALSE(std::isnan(v));
    std::vector<unsigned char> raw = Bytes(chunk);
    std::string text(raw.begin(), raw.end());
    plug.MakePresetFromBlob("r", text.c_str(), n / 2);
  }
}
