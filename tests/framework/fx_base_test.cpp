#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/fx_version.h"
#include "test_plug.h"

TEST(PlugBase, IdentityVersionsAndHost) {
  TestPlug plug;
  EXPECT_EQ(plug.GetUniqueID(), kTestUniqueID);
  EXPECT_EQ(plug.GetMfrID(), kTestMfrID);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x10000);
  EXPECT_EQ(plug.GetEffectVersion(true), 10000);
  char text[kVersionStrLen];
  plug.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.0.0D");
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_STREQ(plug.GetArchString(), "x64");
  EXPECT_STREQ(plug.GetMfrName(), "BrightmoorAudio");
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  plug.SetHost("com.apple.logic10", 0x0A0700);
  EXPECT_EQ(plug.GetHost(), kHostLogic);
  EXPECT_EQ(plug.GetHostVersion(true), 100700);
  plug.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v10.7.0");
  EXPECT_EQ(plug.GetParam(3), nullptr);
  EXPECT_EQ(plug.GetParam(-1), nullptr);

  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
  plug.SetSampleRate(48000.0);
  plug.mTempo = 120.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 24000.0);
}

TEST(PlugBase, SampleRatesNoHostUsesAreRefusedAndLeaveTheRate) {
  TestPlug plug;
  for (double rate : {8000.0, 768000.0, 44100.0}) {
    EXPECT_TRUE(plug.SetSampleRate(rate)) << rate;
    EXPECT_EQ(plug.GetSampleRate(), rate);
  }
  for (double rate : {7999.99, 1000.0, 1.0, 0.0, -48000.0, 768000.01, 1e7, 1e300, std::nan(""), HUGE_VAL}) {
    EXPECT_FALSE(plug.SetSampleRate(rate)) << rate;
    EXPECT_EQ(plug.GetSampleRate(), 44100.0) << rate;
  }
}

TEST(PlugBase, GuiChangesReachParameterHostAndEffectUnderTheMutex) {
  TestPlug plug;
  plug.SetParameterFromGUI(2, 0.25);
  EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), -7.5);
  ASSERT_EQ(plug.mInformed.size(), 1u);
  EXPECT_EQ(plug.mInformed[0].paramIdx, 2);
  EXPECT_EQ(plug.mInformed[0].value, 0.25);
  EXPECT_TRUE(plug.mMutexHeldWhenInformed);
  EXPECT_EQ(plug.mParamChanges, std::vector<int>{2});
  plug.SetParameterFromGUI(7, 0.5);
  EXPECT_EQ(plug.mInformed.size(), 1u) << "an unknown index is ignored";

  plug.mInformed.clear();
  plug.DirtyParameters();
  ASSERT_EQ(plug.mInformed.size(), 3u);
  EXPECT_DOUBLE_EQ(plug.mInformed[2].value, 0.25);
  plug.mParamChanges.clear();
  plug.OnParamReset();
  EXPECT_EQ(plug.mParamChanges, (std::vector<int>{0, 1, 2}));
}

TEST(PlugBase, EditorGetsNormalizedValuesOnAttachAndIsOwned) {
  int destroyed = 0;
  {
    TestPlug plug;
    plug.RedrawParamControls();  // no editor yet: nothing to do
    plug.GetParam(2)->Set(7.5);
    FakeEditor* editor = new FakeEditor(&destroyed);
    plug.AttachGraphics(nullptr);
    plug.AttachGraphics(editor);
    EXPECT_EQ(plug.GetGUI(), editor);
    ASSERT_EQ(editor->mPushes.size(), 3u);
    EXPECT_EQ(editor->mPushes[2].value, 0.75);
    EXPECT_TRUE(editor->mPushes[2].normalized);
    EXPECT_EQ(editor->mPrepDrawAfterPushes, 3);
    plug.RedrawParamControls();
    EXPECT_EQ(editor->mPushes[5].value, 7.5);
    EXPECT_FALSE(editor->mPushes[5].normalized);

    plug.AttachGraphics(new FakeEditor(&destroyed));
    EXPECT_EQ(destroyed, 1) << "a replaced editor is deleted";
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(PlugBase, MidiListsSendEveryMessage) {
  TestPlug plug;
  BRM_TypedBuf<IMidiMsg> msgs;
  IMidiMsg* list = msgs.Resize(3);
  list[0] = IMidiMsg(0, 0x90, 60, 1);
  list[1] = IMidiMsg(1, 0x90, 0, 1);  // the test binding refuses note 0
  list[2] = IMidiMsg(2, 0x80, 62, 0);
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  EXPECT_EQ(plug.mSent.size(), 3u);
  plug.ProcessMidiMsg(&list[0]);
  EXPECT_EQ(plug.mSent.size(), 4u);
}

TEST(PlugBase, DumpsWriteSourceLines) {
  TestPlug plug(2);
  plug.SetValues(0.5, 0.25, -1.0);
  plug.MakeDefaultPreset("first", 1);
  std::string path = testing::TempDir() + "framework_dump.txt";
  auto read = [&] {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  const char* ids[] = {"kDry", "kWet", "kOut"};
  plug.DumpPresetSrcCode(path.c_str(), ids);
  EXPECT_EQ(read(), "  MakePresetFromNamedParams(\"name\", 3,\n    kDry, 0.500000,\n    kWet, 0.250000,\n    kOut, -1.000000);\n");

  plug.DumpPresetBlob(path.c_str());
  EXPECT_EQ(read(), "MakePresetFromBlob(\"name\", \"AAAAAAAA4D8AAAAAAADQPwAAAAAAAPC/\", 24);\n");
  plug.DumpBankBlob(path.c_str());
  EXPECT_EQ(read(), "MakePresetFromBlob(\"first\", \"AAAAAAAA4D8AAAAAAADQPwAAAAAAAPC/\", 24);\n"
                    "MakePresetFromBlob(\"empty\", \"\", 0);\n");

  // The blob text loads back into an equal preset.
  TestPlug copy(1);
  copy.MakePresetFromBlob("copy", "AAAAAAAA4D8AAAAAAADQPwAAAAAAAPC/", 24);
  ASSERT_TRUE(copy.RestorePreset(0));
  EXPECT_EQ(copy.Values(), (std::vector<double>{0.5, 0.25, -1.0}));
  std::remove(path.c_str());
}
