// Reading MIDI from and writing it to LV2 atom sequences, inside the bounds the binding gives.
#include "lv2/lv2_midi_events.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>

#include <algorithm>
#include <cstring>

#include "framework/fx_base.h"

namespace {

// The length of the short message a status byte starts, 0 for bytes that start none here (data
// bytes, system exclusive, its end, and the undefined system statuses).
uint32_t ShortMessageLength(uint8_t status) {
  if (status < 0x80) return 0;
  if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
  switch (status) {
    case 0xF1:
    case 0xF3: return 2;
    case 0xF2: return 3;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF: return 1;
    default: return 0;
  }
}

uint32_t SysExLength(const uint8_t* pBytes, uint32_t size, uint32_t maxSysExBytes) {
  if (size < 2 || size > maxSysExBytes) return 0;
  for (uint32_t i = 1; i + 1 < size; ++i)
    if (pBytes[i] & 0x80) return 0;
  return pBytes[size - 1] == 0xF7 ? size : 0;
}

constexpr size_t kEventHeader = sizeof(LV2_Atom_Event);
constexpr size_t kSequenceHeader = sizeof(LV2_Atom_Sequence);

size_t Padded(uint32_t size) { return (static_cast<size_t>(size) + 7u) & ~static_cast<size_t>(7u); }

}  // namespace

LV2MidiUrids MapMidiUrids(LV2_URID_Map* pMap) {
  LV2MidiUrids urids;
  if (!pMap || !pMap->map) return urids;
  urids.mSequence = pMap->map(pMap->handle, LV2_ATOM__Sequence);
  urids.mMidiEvent = pMap->map(pMap->handle, LV2_MIDI__MidiEvent);
  urids.mBeatTime = pMap->map(pMap->handle, LV2_ATOM__beatTime);
  return urids;
}

uint32_t MidiMessageLength(const uint8_t* pBytes, uint32_t size, uint32_t maxSysExBytes) {
  if (!pBytes || size == 0) return 0;
  if (pBytes[0] == 0xF0) return SysExLength(pBytes, size, maxSysExBytes);
  const uint32_t length = ShortMessageLength(pBytes[0]);
  if (length == 0 || size < length) return 0;
  for (uint32_t i = 1; i < length; ++i)
    if (pBytes[i] & 0x80) return 0;
  return length;
}

void LV2MidiReader::Begin(const void* pSequence, size_t capacity, uint32_t nFrames) {
  mBytes = nullptr;
  mEnd = mPos = 0;
  mLastFrame = 0;
  mNFrames = nFrames;
  if (!pSequence || capacity < kSequenceHeader || !mUrids.mSequence) return;
  LV2_Atom_Sequence header;
  std::memcpy(&header, pSequence, sizeof(header));
  if (header.atom.type != mUrids.mSequence || header.atom.size < sizeof(LV2_Atom_Sequence_Body)) return;
  // Beat times would need a tempo this binding is not told of. Any other unit is read as frames: hosts
  // often leave the field unset (one leaves whatever its buffer held), and an event port counts frames.
  if (mUrids.mBeatTime != 0 && header.body.unit == mUrids.mBeatTime) return;
  mBytes = static_cast<const uint8_t*>(pSequence);
  mEnd = std::min(sizeof(LV2_Atom) + static_cast<size_t>(header.atom.size), capacity);
  mPos = kSequenceHeader;
}

bool LV2MidiReader::Peek(Event* pEvent) const {
  if (!mBytes || mPos > mEnd || mEnd - mPos < kEventHeader) return false;
  LV2_Atom_Event header;
  std::memcpy(&header, mBytes + mPos, sizeof(header));
  const size_t bodyAt = mPos + kEventHeader;
  if (header.body.size > mEnd - bodyAt) return false;
  const int64_t lastFrame = mNFrames > 0 ? static_cast<int64_t>(mNFrames) - 1 : 0;
  const int64_t frame = std::clamp<int64_t>(header.time.frames, mLastFrame, std::max<int64_t>(lastFrame, mLastFrame));
  pEvent->frame = static_cast<uint32_t>(frame);
  pEvent->pBody = header.body.type == mUrids.mMidiEvent ? mBytes + bodyAt : nullptr;
  pEvent->size = header.body.size;
  pEvent->next = bodyAt + Padded(header.body.size);
  return true;
}

void LV2MidiReader::DeliverUntil(IFxBase& plug, uint32_t pieceStart, uint32_t pieceEnd) {
  Event event;
  while (Peek(&event) && event.frame < pieceEnd) {
    mPos = event.next;
    mLastFrame = event.frame;
    const int offset = static_cast<int>(event.frame - std::min(event.frame, pieceStart));
    const uint32_t length = MidiMessageLength(event.pBody, event.size, kMaxSysExBytes);
    if (length == 0) continue;
    if (event.pBody[0] == 0xF0) {
      ISysEx sysEx(offset, event.pBody, static_cast<int>(length));
      plug.ProcessSysEx(&sysEx);
    } else {
      IMidiMsg msg(offset, event.pBody[0], length > 1 ? event.pBody[1] : 0, length > 2 ? event.pBody[2] : 0);
      plug.ProcessMidiMsg(&msg);
    }
  }
}

void LV2MidiWriter::Begin(void* pSequence, size_t capacity) {
  mBytes = nullptr;
  mUsed = mRoom = 0;
  mLastFrame = 0;
  if (!pSequence || capacity < sizeof(LV2_Atom)) return;
  LV2_Atom atom;
  std::memcpy(&atom, pSequence, sizeof(atom));
  const size_t room = std::min(sizeof(LV2_Atom) + static_cast<size_t>(atom.size), capacity);
  if (room < kSequenceHeader || !mUrids.mSequence) {
    // No room for even an empty sequence: the host reads an empty atom.
    const LV2_Atom none = {0, 0};
    std::memcpy(pSequence, &none, sizeof(none));
    return;
  }
  mBytes = static_cast<uint8_t*>(pSequence);
  mRoom = room;
  mUsed = kSequenceHeader;
  const LV2_Atom_Sequence empty = {{sizeof(LV2_Atom_Sequence_Body), mUrids.mSequence}, {0, 0}};
  std::memcpy(mBytes, &empty, sizeof(empty));
}

bool LV2MidiWriter::Append(uint32_t frame, const uint8_t* pBytes, uint32_t size) {
  if (!mBytes || MidiMessageLength(pBytes, size, UINT32_MAX) != size) return false;
  const size_t needed = kEventHeader + Padded(size);
  if (mRoom - mUsed < needed) return false;
  mLastFrame = std::max(mLastFrame, frame);
  LV2_Atom_Event header;
  header.time.frames = mLastFrame;
  header.body = {size, mUrids.mMidiEvent};
  std::memcpy(mBytes + mUsed, &header, sizeof(header));
  std::memcpy(mBytes + mUsed + kEventHeader, pBytes, size);
  std::memset(mBytes + mUsed + kEventHeader + size, 0, Padded(size) - size);
  mUsed += needed;
  const uint32_t bodySize = static_cast<uint32_t>(mUsed - sizeof(LV2_Atom));
  std::memcpy(mBytes + offsetof(LV2_Atom, size), &bodySize, sizeof(bodySize));
  return true;
}
