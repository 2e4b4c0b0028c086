#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/fx_version.h"
#include "framework/host_table.h"
#include "framework/midi_msg.h"
#include "framework/trace.h"

TEST(HostTable, SearchOrderAndDisplayNames) {
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("com.apple.logic10"), kHostLogic);
  EXPECT_EQ(LookUpHost("com.apple.garageband10"), kHostGarageBand);
  EXPECT_EQ(LookUpHost("Ableton Live 11"), kHostLive);
  EXPECT_EQ(LookUpHost("live and logic"), kHostLive);
  EXPECT_EQ(LookUpHost("com.PreSonus.StudioOne"), kHostStudioOne);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost("somethingelse"), kHostUnknown);
  std::string longName(300, 'x');
  longName.replace(250, 6, "reaper");
  EXPECT_EQ(LookUpHost(longName.c_str()), kHostUnknown) << "only the first 255 characters are searched";
  longName.replace(240, 6, "cubase");
  EXPECT_EQ(LookUpHost(longName.c_str()), kHostCubase);

  char name[kHostNameStrLen];
  GetHostNameStr(kHostMelodyne, name);
  EXPECT_STREQ(name, "Unknown");
  GetHostNameStr(kHostReserved19, name);
  EXPECT_STREQ(name, "Unknown");
  GetHostNameStr(kHostVegas, name);
  EXPECT_STREQ(name, "Vegas");
  GetHostNameStr(kHostDigitalPerformer, name);
  EXPECT_STREQ(name, "DigitalPerformer");
  GetHostNameStr(static_cast<EHost>(99), name);
  EXPECT_STREQ(name, "Unknown");
  EXPECT_STREQ(AUPropertyStr(8), "");
  EXPECT_TRUE(IsWhitespace('\r'));
  EXPECT_FALSE(IsWhitespace('x'));
}

TEST(Timestamps, CompileStampsAndCurrentTimeShape) {
  BRM_String stamp;
  CompileTimestamp("Jan  5 2024", "17:05:33", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Jan 5 17:05]");
  CompileTimestamp("Jan 15 2024", "17:05:33", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Jan15 17:05]");
  EXPECT_STREQ(AppendTimestamp("Jan  5 2024", "17:05:33", "build"), "build [Jan 5 17:05]");

  std::string now = CurrentTime();
  ASSERT_EQ(now.size(), 20u) << now;
  EXPECT_EQ(now[8], ' ');
  EXPECT_EQ(now[11], ':');
  EXPECT_TRUE(now[15] == '+' || now[15] == '-');
}

TEST(Version, PartsDecimalAndText) {
  int major, minor, patch;
  GetVersionParts(0x0102030, &major, &minor, &patch);
  EXPECT_EQ(major, 0x10);
  EXPECT_EQ(minor, 0x20);
  EXPECT_EQ(patch, 0x30);
  EXPECT_EQ(GetDecimalVersion(0x10000), 10000);
  EXPECT_EQ(GetDecimalVersion(0x020103), 20103);
  char text[kVersionStrLen];
  GetVersionStr(0x10000, text);
  EXPECT_STREQ(text, "v1.0.0");
  GetVersionStr(-1, text);
  EXPECT_STREQ(text, "v65535.255.255");
}

TEST(Midi, BuildersAndQueries) {
  IMidiMsg msg;
  msg.MakePitchWheelMsg(0.0, 0);
  EXPECT_EQ(msg.mData1, 0);
  EXPECT_EQ(msg.mData2, 64);
  EXPECT_EQ(msg.PitchWheel(), 0.0);
  msg.MakePitchWheelMsg(1.0, 3);
  EXPECT_EQ(msg.mData1, 127);
  EXPECT_EQ(msg.mData2, 127);
  EXPECT_EQ(msg.Channel(), 3);
  EXPECT_DOUBLE_EQ(msg.PitchWheel(), (16383 - 8192) / 8192.0);
  msg.MakePitchWheelMsg(-5.0);
  EXPECT_EQ(msg.PitchWheel(), -1.0);
  msg.MakePitchWheelMsg(1e12);
  EXPECT_EQ(msg.mData1 + 128 * msg.mData2, 16383);

  msg.MakeControlChangeMsg(7, 0.5, 0);
  EXPECT_EQ(msg.mData2, 63);
  EXPECT_DOUBLE_EQ(msg.ControlChange(7), 63 / 127.0);
  EXPECT_EQ(msg.ControlChange(1), -1.0);
  EXPECT_EQ(msg.Velocity(), -1);
  EXPECT_EQ(msg.ControlChangeIdx(), 7);

  msg.MakeNoteOnMsg(60, 100, 17, 2);
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(msg.NoteNumber(), 60);
  EXPECT_EQ(msg.Velocity(), 100);
  EXPECT_EQ(msg.mOffset, 17);
  EXPECT_EQ(msg.Program(), -1);
  msg.MakeNoteOffMsg(60, 3);
  EXPECT_EQ(msg.Velocity(), 0);
  EXPECT_EQ(msg.PolyAfterTouch(), -1);

  IMidiMsg clock(0, 0xF8, 0, 0);
  EXPECT_EQ(clock.StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(clock.Channel(), 8);
  IMidiMsg pressure(0, 0xD1, 99, 0);
  EXPECT_EQ(pressure.ChannelAfterTouch(), 99);
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kChannelAftertouch), "channelaftertouch");
  EXPECT_STREQ(StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(3)), "unknown");
}

TEST(Midi, SysExTextFitsTheBuffer) {
  const unsigned char bytes[] = {0xF0, 0x7E, 0xF7};
  char text[16];
  EXPECT_STREQ(SysExStr(text, 16, bytes, 3), "F0 7E F7");
  char small[6];
  EXPECT_STREQ(SysExStr(small, 6, bytes, 3), "F0 7E");
  EXPECT_STREQ(SysExStr(text, 16, bytes, 0), "");
  EXPECT_DEATH(SysExStr(small, 2, bytes, 3), "str != NULL && maxlen >= 3");
}
