#pragma once
// MIDI short messages stamped with their sample offset in the current block, and
// system-exclusive messages, as carried between a host binding and a plug-in.

struct IMidiMsg {
  enum EStatusMsg {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  int mOffset = 0;
  unsigned char mStatus = 0, mData1 = 0, mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, unsigned char status, unsigned char data1, unsigned char data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value in -1..1; values beyond are clamped.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value in 0..1.
  void MakeControlChangeMsg(int controllerNumber, double value, int channel = 0);
  void Clear();

  int Channel() const { return mStatus & 0x0F; }
  // kNone for system messages (0xF0 and above) and bytes without the status bit.
  EStatusMsg StatusMsg() const;
  // The queries below return -1 (PitchWheel 0.0) for a message of another kind.
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  double PitchWheel() const;
  int ControlChangeIdx() const { return mData1; }
  double ControlChange(int controllerNumber) const;

  void LogMsg() const {}
};

struct ISysEx {
  int mOffset = 0;
  int mSize = 0;
  const unsigned char* mData = nullptr;

  ISysEx() = default;
  ISysEx(int offset, const unsigned char* data, int size) : mOffset(offset), mSize(size), mData(data) {}

  void Clear();
  void LogMsg() const {}
};

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);
// Bytes as "F0 7E F7", as many as fit in maxlen (three characters each); maxlen must be at least 3.
char* SysExStr(char* str, int maxlen, const unsigned char* data, int size);
