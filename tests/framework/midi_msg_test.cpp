#include "framework/midi_msg.h"

#include <gtest/gtest.h>

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
