#include "framework/midi_msg.h"

#include <cstdio>

#include "framework/fx_assert.h"
#include "framework/int_convert.h"

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
  Clear();
  mStatus = static_cast<unsigned char>(0x90 | channel);
  mData1 = static_cast<unsigned char>(noteNumber);
  mData2 = static_cast<unsigned char>(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel) {
  Clear();
  mStatus = static_cast<unsigned char>(0x80 | channel);
  mData1 = static_cast<unsigned char>(noteNumber);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
  Clear();
  mStatus = static_cast<unsigned char>(0xE0 | channel);
  int i = TruncToInt(8192.0 * value);
  i = i > 8191 ? 16383 : (i < -8192 ? 0 : i + 8192);
  mData1 = static_cast<unsigned char>(i & 127);
  mData2 = static_cast<unsigned char>(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(int controllerNumber, double value, int channel) {
  Clear();
  mStatus = static_cast<unsigned char>(0xB0 | channel);
  mData1 = static_cast<unsigned char>(controllerNumber);
  mData2 = static_cast<unsigned char>(TruncToInt(127.0 * value));
}

void IMidiMsg::Clear() { mOffset = mStatus = mData1 = mData2 = 0; }

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
  if ((mStatus & 0x80) && mStatus < 0xF0) return static_cast<EStatusMsg>(mStatus >> 4);
  return kNone;
}

int IMidiMsg::NoteNumber() const {
  EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn || kind == kPolyAftertouch ? mData1 : -1;
}

int IMidiMsg::Velocity() const {
  EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const { return StatusMsg() == kPolyAftertouch ? mData2 : -1; }

int IMidiMsg::ChannelAfterTouch() const { return StatusMsg() == kChannelAftertouch ? mData1 : -1; }

int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::PitchWheel() const {
  if (StatusMsg() != kPitchWheel) return 0.0;
  return (mData2 * 128 + mData1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(int controllerNumber) const {
  if (StatusMsg() == kControlChange && mData1 == controllerNumber) return mData2 / 127.0;
  return -1.0;
}

void ISysEx::Clear() {
  mOffset = mSize = 0;
  mData = nullptr;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg) {
  switch (msg) {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}

char* SysExStr(char* str, int maxlen, const unsigned char* data, int size) {
  FX_ASSERT(str != NULL && maxlen >= 3);
  str[0] = 0;
  if (!data || size <= 0) return str;
  int n = size < maxlen / 3 ? size : maxlen / 3;
  char* pStr = str;
  for (int i = 0; i < n; ++i, pStr += 3) std::snprintf(pStr, 4, "%02X%s", data[i], i + 1 < n ? " " : "");
  return str;
}
