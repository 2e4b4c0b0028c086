// MIDI event sequences as an LV2 host hands them to the binding. The first four bytes pick the run's
// length (0 to 8191 frames) and the binding's piece length (1 to 1024 frames); the rest is the event
// port's buffer, exactly that long. Whatever it claims, the plug-in must get only whole MIDI messages
// from inside the buffer, in time order and inside their pieces, and what it sends on through the
// writer must read back as the same number of events.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/fx_quiet_base.h"
#include "lv2/lv2_midi_events.h"

namespace {

LV2MidiUrids Urids() {
  LV2MidiUrids urids;
  urids.mSequence = 1;
  urids.mMidiEvent = 2;
  urids.mBeatTime = 3;
  return urids;
}

class CheckingPlug : public IFxQuietBase {
 public:
  CheckingPlug(const std::vector<uint8_t>& buffer, LV2MidiWriter* pWriter)
      : IFxQuietBase(IFxInstanceInfo(), 0, "0-2", 0, "Fuzz", "Fuzz", "Fuzz", 0x10000, 1, 1, 0, true, false, true),
        mBuffer(buffer),
        mWriter(pWriter) {}

  void StartPiece(uint32_t start, uint32_t frames) {
    mPieceStart = start;
    mPieceFrames = frames;
  }
  void ProcessMidiMsg(IMidiMsg* pMsg) override {
    const uint8_t bytes[3] = {pMsg->mStatus, pMsg->mData1, pMsg->mData2};
    const uint32_t length = MidiMessageLength(bytes, sizeof(bytes), 0);
    if (length == 0) __builtin_trap();
    Take(pMsg->mOffset, bytes, length);
  }
  void ProcessSysEx(ISysEx* pSysEx) override {
    const uint8_t* pBegin = mBuffer.data();
    if (pSysEx->mSize <= 0 || pSysEx->mData < pBegin || pSysEx->mData + pSysEx->mSize > pBegin + mBuffer.size())
      __builtin_trap();
    const auto size = static_cast<uint32_t>(pSysEx->mSize);
    if (MidiMessageLength(pSysEx->mData, size, LV2MidiReader::kMaxSysExBytes) != size) __builtin_trap();
    Take(pSysEx->mOffset, pSysEx->mData, size);
  }

  int mTaken = 0, mWritten = 0;

 private:
  void Take(int offset, const uint8_t* pBytes, uint32_t size) {
    if (offset < 0 || static_cast<uint32_t>(offset) >= (mPieceFrames ? mPieceFrames : 1)) __builtin_trap();
    const uint32_t frame = mPieceStart + static_cast<uint32_t>(offset);
    if (frame < mLastFrame) __builtin_trap();
    mLastFrame = frame;
    ++mTaken;
    if (mWriter && mWriter->Append(frame, pBytes, size)) ++mWritten;
  }

  const std::vector<uint8_t>& mBuffer;
  LV2MidiWriter* mWriter;
  uint32_t mPieceStart = 0, mPieceFrames = 0, mLastFrame = 0;
};

// Every piece of a run of nFrames in pieces of at most piece frames, as the binding reads it.
void ReadRun(LV2MidiReader& reader, CheckingPlug& plug, uint32_t nFrames, uint32_t piece) {
  if (nFrames == 0) {
    plug.StartPiece(0, 0);
    reader.DeliverUntil(plug, 0, 1);
  }
  for (uint32_t done = 0; done < nFrames; done += piece) {
    const uint32_t frames = nFrames - done < piece ? nFrames - done : piece;
    plug.StartPiece(done, frames);
    reader.DeliverUntil(plug, done, done + frames);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t nFrames = (data[0] | static_cast<uint32_t>(data[1]) << 8) % 8192;
  const uint32_t piece = (data[2] | static_cast<uint32_t>(data[3]) << 8) % 1024 + 1;
  const std::vector<uint8_t> buffer(data + 4, data + size);

  // The output sequence's room, as a host announces it in the atom's size.
  std::vector<uint8_t> out(size + 64, 0);
  const uint32_t room = static_cast<uint32_t>(out.size() - 8);
  std::memcpy(out.data(), &room, sizeof(room));
  LV2MidiWriter writer(Urids());
  writer.Begin(out.data(), out.size());

  LV2MidiReader reader(Urids());
  reader.Begin(buffer.data(), buffer.size(), nFrames);
  CheckingPlug plug(buffer, &writer);
  ReadRun(reader, plug, nFrames, piece);

  LV2MidiReader again(Urids());
  again.Begin(out.data(), out.size(), nFrames);
  CheckingPlug copy(out, nullptr);
  ReadRun(again, copy, nFrames, 1024);
  if (copy.mTaken != plug.mWritten) __builtin_trap();
  return 0;
}
