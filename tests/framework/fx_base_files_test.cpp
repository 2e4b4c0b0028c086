#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "test_plug.h"

namespace {
class TempFile {
 public:
  explicit TempFile(const char* suffix) {
    char pattern[] = "/tmp/framework_test_XXXXXX";
    int fd = mkstemp(pattern);
    close(fd);
    std::remove(pattern);
    mPath.Set(pattern);
    mPath.Append(suffix);
  }
  ~TempFile() { std::remove(mPath.Get()); }
  const BRM_String* Path() const { return &mPath; }
  std::vector<unsigned char> Read() const {
    std::ifstream in(mPath.Get(), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::vector<unsigned char>& bytes) const {
    std::ofstream out(mPath.Get(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

 private:
  BRM_String mPath;
};

unsigned BigEndianAt(const std::vector<unsigned char>& b, size_t offset) {
  return (unsigned(b[offset]) << 24) | (unsigned(b[offset + 1]) << 16) | (unsigned(b[offset + 2]) << 8) | b[offset + 3];
}

std::string TextAt(const std::vector<unsigned char>& b, size_t offset, size_t n) {
  return std::string(b.begin() + static_cast<long>(offset), b.begin() + static_cast<long>(offset + n));
}

// Writes every prefix and many random mutations of a valid file and loads each into a fresh plug:
// whatever the bytes, the loaders must fail or succeed cleanly.
template <class Load>
void FeedDamagedCopies(const std::vector<unsigned char>& valid, Load load) {
  TempFile damaged(".bin");
  for (size_t size = 0; size < valid.size(); ++size) {
    damaged.Write(std::vector<unsigned char>(valid.begin(), valid.begin() + static_cast<long>(size)));
    EXPECT_FALSE(load(damaged.Path())) << "truncated to " << size;
  }
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    std::vector<unsigned char> bytes = valid;
    for (int k = 0; k < 4; ++k) bytes[32 + rng() % (bytes.size() - 32)] = static_cast<unsigned char>(rng());
    if (round % 2) bytes.resize(rng() % bytes.size());
    damaged.Write(bytes);
    load(damaged.Path());
  }
}
}  // namespace

TEST(ProgramFile, ChunkLayoutRoundTripsAndRejectsForeignFiles) {
  TestPlug plug(2);
  plug.SetValues(0.25, 0.5, -3.0);
  plug.MakeDefaultPreset("A program name longer than twenty-seven", 1);
  TempFile file(".fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(file.Path()));
  std::vector<unsigned char> b = file.Read();
  ASSERT_EQ(b.size(), 60u + 8u + 24u);
  EXPECT_EQ(TextAt(b, 0, 4), "CcnK");
  EXPECT_EQ(BigEndianAt(b, 4), b.size());
  EXPECT_EQ(TextAt(b, 8, 4), "FPCh");
  EXPECT_EQ(BigEndianAt(b, 12), 1u);
  EXPECT_EQ(BigEndianAt(b, 16), unsigned(kTestUniqueID));
  EXPECT_EQ(BigEndianAt(b, 20), 10000u);
  EXPECT_EQ(BigEndianAt(b, 24), 3u);
  EXPECT_EQ(TextAt(b, 28, 28), std::string("A program name longer than ") + '\0');
  EXPECT_EQ(BigEndianAt(b, 56), 32u);
  EXPECT_EQ(TextAt(b, 60, 8), std::string("tffp\0\0\1\0", 8));

  TestPlug loaded(2);
  ASSERT_TRUE(loaded.LoadProgramFromFXP(file.Path()));
  EXPECT_EQ(loaded.Values(), (std::vector<double>{0.25, 0.5, -3.0}));
  EXPECT_STREQ(loaded.GetPresetName(0), "A program name longer than ");
  EXPECT_EQ(loaded.mProgramChanges, 1);

  // Wrong ID or format version: nothing changes.
  for (size_t offset : {size_t(15), size_t(19)}) {
    std::vector<unsigned char> foreign = b;
    foreign[offset] ^= 1;
    TempFile other(".fxp");
    other.Write(foreign);
    TestPlug untouched(1);
    EXPECT_FALSE(untouched.LoadProgramFromFXP(other.Path()));
    EXPECT_EQ(untouched.Values(), (std::vector<double>{0.0, 1.0, 0.0}));
    EXPECT_TRUE(untouched.mParamChanges.empty());
  }
  BRM_String empty;
  EXPECT_FALSE(plug.SaveProgramAsFXP(&empty));
  BRM_String missing("/nonexistent/dir/x.fxp");
  EXPECT_FALSE(plug.LoadProgramFromFXP(&missing));

  // A damaged chunk is undone rather than half applied.
  FeedDamagedCopies(b, [](const BRM_String* path) {
    TestPlug victim(1);
    victim.SetValues(0.125, 0.25, 1.0);
    bool loaded = victim.LoadProgramFromFXP(path);
    if (!loaded) {
      EXPECT_EQ(victim.Values(), (std::vector<double>{0.125, 0.25, 1.0}));
    }
    return loaded;
  });
}

TEST(ProgramFile, ValueLayoutStoresNormalizedFloats) {
  TestPlug plug(1, false);
  plug.SetValues(0.25, 0.5, 7.5);
  TempFile file(".fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(file.Path()));
  std::vector<unsigned char> b = file.Read();
  ASSERT_EQ(b.size(), 56u + 12u);
  EXPECT_EQ(TextAt(b, 8, 4), "FxCk");
  EXPECT_EQ(TextAt(b, 28, 6), std::string("empty") + '\0');
  unsigned bits = BigEndianAt(b, 64);
  float out;
  std::memcpy(&out, &bits, 4);
  EXPECT_EQ(out, 0.75f);

  TestPlug loaded(1, false);
  ASSERT_TRUE(loaded.LoadProgramFromFXP(file.Path()));
  EXPECT_EQ(loaded.Values(), (std::vector<double>{0.25, 0.5, 7.5}));
  FeedDamagedCopies(b, [](const BRM_String* path) { return TestPlug(1, false).LoadProgramFromFXP(path); });

  // However far outside 0..1 a file puts a value, it loads inside the parameter's range.
  for (float bad : {-INFINITY, -1e6f, INFINITY}) {
    std::memcpy(&bits, &bad, 4);
    for (size_t at = 56; at < b.size(); at += 4)
      for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(bits >> (24 - 8 * k));
    file.Write(b);
    TestPlug outside(1, false);
    ASSERT_TRUE(outside.LoadProgramFromFXP(file.Path()));
    for (int i = 0; i < outside.NParams(); ++i) {
      double lo = 0.0, hi = 0.0;
      outside.GetParam(i)->GetBounds(&lo, &hi);
      EXPECT_TRUE(outside.GetParam(i)->Value() >= lo && outside.GetParam(i)->Value() <= hi) << bad << " param " << i;
    }
  }
}

namespace {
// Remembers the value each parameter had when the effect last heard of it.
class HearingPlug : public TestPlug {
 public:
  using TestPlug::TestPlug;
  void OnParamChange(int paramIdx) override {
    TestPlug::OnParamChange(paramIdx);
    mHeard.at(static_cast<size_t>(paramIdx)) = GetParam(paramIdx)->Value();
  }
  std::vector<double> mHeard = std::vector<double>(3, -99.0);
};
}  // namespace

// With no preset to restore through, the loaded values must still reach the effect and the editor.
TEST(ProgramFile, LoadingIntoAPlugInWithoutPresetsReachesTheEffectAndTheEditor) {
  for (bool chunks : {true, false}) {
    SCOPED_TRACE(chunks ? "chunk" : "values");
    TestPlug saver(0, chunks);
    saver.SetValues(0.25, 0.5, 7.5);
    TempFile file(".fxp");
    ASSERT_TRUE(saver.SaveProgramAsFXP(file.Path()));
    HearingPlug loaded(0, chunks);
    FakeEditor* editor = new FakeEditor;
    loaded.AttachGraphics(editor);
    editor->mPushes.clear();
    ASSERT_TRUE(loaded.LoadProgramFromFXP(file.Path()));
    EXPECT_EQ(loaded.mHeard, (std::vector<double>{0.25, 0.5, 7.5}));
    ASSERT_EQ(editor->mPushes.size(), 3u);
    EXPECT_EQ(editor->mPushes[2].value, 7.5);
  }
}

namespace {

// A bank of two programs from a plug-in without chunks, saved to file; its bytes (none if the save failed).
std::vector<unsigned char> SaveTwoProgramBank(const TempFile& file) {
  TestPlug plug(2, false);
  plug.MakePreset("first", 0.1, 0.2, 1.5);
  plug.MakePreset("second", 0.3, 0.4, -1.5);
  if (!plug.SaveBankAsFXB(file.Path())) return {};
  return file.Read();
}

}  // namespace

// A bank whose current program the plug-in lacks leaves the last record's values, heard by the effect.
TEST(BankFile, CurrentProgramBeyondThePresetsLeavesTheLastRecordHeard) {
  TempFile file(".fxb");
  std::vector<unsigned char> b = SaveTwoProgramBank(file);
  ASSERT_FALSE(b.empty());
  b[31] = 5;  // current program, big-endian at 28
  file.Write(b);
  HearingPlug loaded(2, false);
  ASSERT_TRUE(loaded.LoadBankFromFXB(file.Path()));
  EXPECT_EQ(loaded.mHeard, loaded.Values());
  EXPECT_NEAR(loaded.Values()[2], -1.5, 1e-3);
}

TEST(BankFile, ChunkLayoutRoundTripsPresetsAndCurrentProgram) {
  TestPlug plug(3);
  plug.MakePreset("first", 0.1, 0.2, 1.0);
  plug.MakePreset("second", 0.3, 0.4, 2.0);
  ASSERT_TRUE(plug.RestorePreset(1));
  TempFile file(".fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB(file.Path()));
  std::vector<unsigned char> b = file.Read();
  EXPECT_EQ(TextAt(b, 0, 4), "CcnK");
  EXPECT_EQ(BigEndianAt(b, 4), b.size());
  EXPECT_EQ(TextAt(b, 8, 4), "FBCh");
  EXPECT_EQ(BigEndianAt(b, 12), 2u);
  EXPECT_EQ(BigEndianAt(b, 24), 3u);
  EXPECT_EQ(BigEndianAt(b, 28), 1u);
  EXPECT_EQ(TextAt(b, 32, 124), std::string(124, '\0'));
  EXPECT_EQ(BigEndianAt(b, 156), b.size() - 160);
  EXPECT_EQ(TextAt(b, 160, 4), "tffp");

  TestPlug loaded(3);
  ASSERT_TRUE(loaded.LoadBankFromFXB(file.Path()));
  EXPECT_STREQ(loaded.GetPresetName(0), "first");
  EXPECT_STREQ(loaded.GetPresetName(1), "second");
  EXPECT_STREQ(loaded.GetPresetName(2), "empty");
  ASSERT_TRUE(loaded.RestorePreset(0));
  EXPECT_EQ(loaded.Values(), (std::vector<double>{0.1, 0.2, 1.0}));

  FeedDamagedCopies(b, [](const BRM_String* path) {
    TestPlug victim(3);
    victim.MakePreset("mine", 0.5, 0.5, 5.0);
    victim.RestorePreset(0);
    bool loaded = victim.LoadBankFromFXB(path);
    if (!loaded) {
      EXPECT_STREQ(victim.GetPresetName(0), "mine");
      EXPECT_EQ(victim.Values(), (std::vector<double>{0.5, 0.5, 5.0}));
    }
    return loaded;
  });
}

TEST(BankFile, ProgramRecordsRoundTripAndAreCheckedOneByOne) {
  TempFile file(".fxb");
  std::vector<unsigned char> b = SaveTwoProgramBank(file);
  ASSERT_FALSE(b.empty());
  const size_t record = 56 + 12;
  ASSERT_EQ(b.size(), 156 + 2 * record);
  EXPECT_EQ(TextAt(b, 8, 4), "FxBk");
  EXPECT_EQ(TextAt(b, 156, 4), "CcnK");
  EXPECT_EQ(TextAt(b, 156 + 8, 4), "FxCk");
  EXPECT_EQ(BigEndianAt(b, 156 + 4), record);
  EXPECT_EQ(TextAt(b, 156 + record + 28, 7), std::string("second") + '\0');

  TestPlug loaded(2, false);
  ASSERT_TRUE(loaded.LoadBankFromFXB(file.Path()));
  EXPECT_STREQ(loaded.GetPresetName(1), "second");
  ASSERT_TRUE(loaded.RestorePreset(1));
  std::vector<double> v = loaded.Values();
  EXPECT_NEAR(v[0], 0.3, 1e-6);
  EXPECT_NEAR(v[2], -1.5, 1e-5);

  // A second record with another parameter count is refused after the first was applied.
  std::vector<unsigned char> mismatched = b;
  mismatched[156 + record + 27] = 4;
  file.Write(mismatched);
  TestPlug partial(2, false);
  EXPECT_FALSE(partial.LoadBankFromFXB(file.Path()));
  EXPECT_STREQ(partial.GetPresetName(0), "first");
  EXPECT_STREQ(partial.GetPresetName(1), "empty");

  FeedDamagedCopies(b, [](const BRM_String* path) { return TestPlug(2, false).LoadBankFromFXB(path); });
}
