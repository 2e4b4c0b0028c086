#pragma once
// MIDI between an LV2 host's atom sequences and the plug-in base. The reader hands the MIDI events of
// an input sequence to ProcessMidiMsg and ProcessSysEx, piece by piece of the host's run; the writer
// appends what the plug-in sends to an output sequence. The bytes are the host's: both stay inside
// the room they are told of, whatever the sequence claims, and neither allocates.
#include <lv2/urid/urid.h>

#include <cstddef>
#include <cstdint>

class IFxBase;

struct LV2MidiUrids {
  LV2_URID mSequence = 0, mMidiEvent = 0, mBeatTime = 0;
};
// All zero without a map.
LV2MidiUrids MapMidiUrids(LV2_URID_Map* pMap);

// The bytes of the one MIDI message an event body starts with, or 0 when it starts none: a channel
// or system message needs its status byte and all its data bytes (a data byte has the top bit clear);
// a system-exclusive message runs from 0xF0 to 0xF7 with nothing but data bytes between and at most
// maxSysExBytes bytes. Bytes after a complete short message are not part of it.
uint32_t MidiMessageLength(const uint8_t* pBytes, uint32_t size, uint32_t maxSysExBytes);

class LV2MidiReader {
 public:
  // Longer system-exclusive messages are dropped.
  static constexpr uint32_t kMaxSysExBytes = 4096;

  explicit LV2MidiReader(const LV2MidiUrids& urids = LV2MidiUrids()) : mUrids(urids) {}

  // Starts on the sequence at pSequence for a run of nFrames frames; no more than capacity bytes from
  // pSequence on are read. A null sequence, an atom of another type or a sequence timed in anything but
  // frames holds no events. An event's frame is held inside the run (one past its end goes to its last
  // frame) and never before the event ahead of it, so what is handed on is in time order; a run of no
  // frames hands its events on at frame 0.
  void Begin(const void* pSequence, size_t capacity, uint32_t nFrames);
  // Hands pPlug each event before frame pieceEnd not handed on yet, its offset counted from pieceStart
  // (which must not lie after the first of them: pieces are read in order). Messages that are not
  // complete, well-formed MIDI are dropped. A system-exclusive message's bytes are the host's, valid
  // during the call.
  void DeliverUntil(IFxBase& plug, uint32_t pieceStart, uint32_t pieceEnd);

 private:
  struct Event {
    uint32_t frame;
    const uint8_t* pBody;
    uint32_t size;
    size_t next;
  };
  // The event at mPos, if a whole one lies inside the sequence.
  bool Peek(Event* pEvent) const;

  LV2MidiUrids mUrids;
  const uint8_t* mBytes = nullptr;
  // Where the sequence's events end (from mBytes), and where the next event starts.
  size_t mEnd = 0, mPos = 0;
  uint32_t mLastFrame = 0, mNFrames = 0;
};

class LV2MidiWriter {
 public:
  explicit LV2MidiWriter(const LV2MidiUrids& urids = LV2MidiUrids()) : mUrids(urids) {}

  // Starts an empty sequence in a host's output buffer, whose atom size the host set to the room for the
  // sequence's body; no more than capacity bytes from pSequence on are written, whatever it set. A
  // null buffer takes nothing.
  void Begin(void* pSequence, size_t capacity);
  // Appends one event at frame (moved up to the last event's frame if before it); false when there is
  // no buffer or no room, or the bytes are not one whole MIDI message.
  bool Append(uint32_t frame, const uint8_t* pBytes, uint32_t size);

 private:
  LV2MidiUrids mUrids;
  uint8_t* mBytes = nullptr;
  size_t mRoom = 0, mUsed = 0;
  uint32_t mLastFrame = 0;
};
