#include "host/files/midi_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korval_host {

namespace {

constexpr uint32_t kDefaultMicrosecondsPerQuarter = 500000;  // 120 beats a minute
constexpr uint8_t kEscapeStatus = 0xF7, kMetaStatus = 0xFF;
constexpr uint8_t kEndOfTrack = 0x2F, kSetTempo = 0x51;

// Reads a chunk's bytes front to back, never past its end; positions are counted in the file.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* begin, size_t size, size_t fileOffset)
      : mBegin(begin), mAt(begin), mEnd(begin + size), mFileOffset(fileOffset) {}

  bool AtEnd() const { return mAt == mEnd; }
  size_t Offset() const { return mFileOffset + static_cast<size_t>(mAt - mBegin); }
  size_t Left() const { return static_cast<size_t>(mEnd - mAt); }
  bool Byte(uint8_t* value) {
    if (mAt == mEnd) return false;
    *value = *mAt++;
    return true;
  }
  // The next count bytes, skipped over; null when fewer are left.
  const uint8_t* Take(size_t count) {
    if (count > Left()) return nullptr;
    const uint8_t* start = mAt;
    mAt += count;
    return start;
  }
  // A variable-length quantity: seven bits a byte, at most four bytes. Empty, or why it cannot be read.
  std::string VariableLength(uint32_t* value) {
    *value = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t byte = 0;
      if (!Byte(&byte)) return "the track ends inside a number";
      *value = (*value << 7) | (byte & 0x7F);
      if (!(byte & 0x80)) return {};
    }
    return "a variable-length number longer than 4 bytes";
  }

 private:
  const uint8_t* mBegin;
  const uint8_t* mAt;
  const uint8_t* mEnd;
  size_t mFileOffset;
};

uint32_t BigEndian(const uint8_t* bytes, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

std::string ChunkTypeText(const uint8_t* type) {
  std::string text;
  for (int i = 0; i < 4; ++i) text += (type[i] >= 0x20 && type[i] < 0x7F) ? static_cast<char>(type[i]) : '?';
  return text;
}

struct TimedEvent {
  int64_t tick;
  MidiEvent event;
};

struct TempoChange {
  int64_t tick;
  uint32_t microsecondsPerQuarter;
};

// What the tracks add up to, before their ticks become samples.
struct Gathered {
  std::vector<TimedEvent> events;
  std::vector<TempoChange> tempoMap;  // the first track's, in tick order
  std::vector<uint8_t> sysExBytes;
  size_t ignoredTempoChanges = 0, escapes = 0, unfinishedSysEx = 0;

  bool Full() const { return events.size() + tempoMap.size() >= kMostMidiEvents; }
};

// Channel messages by kind (high four bits, 8 to 14): how many data bytes follow the status.
int DataBytes(uint8_t status) { return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2; }

class TrackReader {
 public:
  TrackReader(ByteCursor cursor, bool tempoTrack, Gathered* gathered)
      : mCursor(cursor), mTempoTrack(tempoTrack), mGathered(gathered) {}

  // Empty, or why the track cannot be played.
  std::string Read() {
    for (;;) {
      if (mCursor.AtEnd()) return "the track ends without its end-of-track event";
      uint32_t delta = 0;
      std::string error = mCursor.VariableLength(&delta);
      if (!error.empty()) return error;
      mTick += delta;
      uint8_t status = 0;
      if (!mCursor.Byte(&status)) return "the track ends inside an event";
      bool ended = false;
      if (status == kMetaStatus) {
        error = ReadMeta(&ended);
      } else if (status == kSysExStatus || status == kEscapeStatus) {
        mRunningStatus = 0;
        error = ReadSysExPacket(status);
      } else if (status >= 0xF0) {
        error = "a status byte " + HexText(status) + " that begins no track event";
      } else {
        error = ReadChannelMessage(status);
      }
      if (!error.empty() || ended) {
        if (error.empty() && mPendingSysEx) DropPendingSysEx();
        return error;
      }
    }
  }

  size_t Offset() const { return mCursor.Offset(); }

 private:
  static std::string HexText(uint8_t byte) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 15];
  }

  // status: the byte read, a status or (running status) the first data byte.
  std::string ReadChannelMessage(uint8_t status) {
    uint8_t data[2] = {0, 0};
    int have = 0;
    if (status < 0x80) {
      if (!mRunningStatus) return "a data byte without a status before it (running status with none to run on)";
      data[have++] = status;
      status = mRunningStatus;
    }
    mRunningStatus = status;
    for (; have < DataBytes(status); ++have) {
      if (!mCursor.Byte(&data[have])) return "the track ends inside an event";
    }
    for (uint8_t byte : data) {
      if (byte >= 0x80) return "a data byte above 127 in a channel message";
    }
    MidiEvent event;
    event.status = status;
    event.data1 = data[0];
    event.data2 = data[1];
    return Add(event);
  }

  std::string ReadMeta(bool* ended) {
    uint8_t type = 0;
    uint32_t length = 0;
    if (!mCursor.Byte(&type)) return "the track ends inside an event";
    std::string error = mCursor.VariableLength(&length);
    if (!error.empty()) return error;
    const uint8_t* data = mCursor.Take(length);
    if (!data) return "a meta event of " + std::to_string(length) + " bytes runs past the end of its track";
    if (type == kEndOfTrack) {
      *ended = true;
    } else if (type == kSetTempo) {
      if (length != 3) return "a tempo event of " + std::to_string(length) + " bytes (3 expected)";
      const uint32_t microseconds = BigEndian(data, 3);
      if (microseconds == 0) return "a tempo of 0 microseconds per quarter note";
      if (!mTempoTrack) {
        ++mGathered->ignoredTempoChanges;
      } else {
        if (mGathered->Full()) return TooManyEvents();
        mGathered->tempoMap.push_back({mTick, microseconds});
      }
    }
    return {};
  }

  // An F0 packet begins a system-exclusive message, which ends with the packet whose last byte is F7;
  // F7 packets continue it. An F7 packet outside a message is an escape (raw bytes), which is not played.
  std::string ReadSysExPacket(uint8_t status) {
    uint32_t length = 0;
    std::string error = mCursor.VariableLength(&length);
    if (!error.empty()) return error;
    const uint8_t* data = mCursor.Take(length);
    if (!data) return "a system-exclusive event of " + std::to_string(length) + " bytes runs past the end of its track";
    std::vector<uint8_t>& bytes = mGathered->sysExBytes;
    if (status == kSysExStatus) {
      if (mPendingSysEx) DropPendingSysEx();
      // The message keeps its place among the events from its first packet on; its size stays 0
      // until it is whole.
      MidiEvent event;
      event.status = kSysExStatus;
      event.sysExStart = static_cast<uint32_t>(bytes.size());
      error = Add(event);
      if (!error.empty()) return error;
      mPendingSysEx = true;
      mSysExEvent = mGathered->events.size() - 1;
      bytes.push_back(kSysExStatus);
    } else if (!mPendingSysEx) {
      ++mGathered->escapes;
      return {};
    }
    bytes.insert(bytes.end(), data, data + length);
    if (length == 0 || data[length - 1] != kEscapeStatus) return {};
    mPendingSysEx = false;
    MidiEvent& event = mGathered->events[mSysExEvent].event;
    event.sysExSize = static_cast<uint32_t>(bytes.size() - event.sysExStart);
    return {};
  }

  void DropPendingSysEx() {
    mGathered->sysExBytes.resize(mGathered->events[mSysExEvent].event.sysExStart);
    mPendingSysEx = false;
    ++mGathered->unfinishedSysEx;
  }

  std::string Add(const MidiEvent& event) {
    if (mGathered->Full()) return TooManyEvents();
    mGathered->events.push_back({mTick, event});
    return {};
  }

  static std::string TooManyEvents() {
    return "more than " + std::to_string(kMostMidiEvents) + " events, the most a file may hold";
  }

  ByteCursor mCursor;
  bool mTempoTrack;
  Gathered* mGathered;
  int64_t mTick = 0;
  uint8_t mRunningStatus = 0;
  bool mPendingSysEx = false;
  size_t mSysExEvent = 0;
};

// Ticks to samples: a tick lasts (tempo x kTickUnit) / (unitsPerTick x 1e6) s at metrical division,
// and 1 / (frames per second x ticks per frame) s at time-code division. Sums are kept exact in whole
// numbers, so every event lands on the sample nearest its time, however long the file.
class TickClock {
 public:
  // Empty, or why the division cannot be played.
  std::string SetDivision(uint16_t division) {
    if (division & 0x8000) {
      const int framesPerSecond = -static_cast<int8_t>(division >> 8);
      const int ticksPerFrame = division & 0xFF;
      if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30)
        return "a time-code division of " + std::to_string(framesPerSecond) + " frames a second (24, 25, 29 or 30 expected)";
      if (ticksPerFrame == 0) return "a time-code division of 0 ticks a frame";
      // 29 stands for the 30000/1001 frames a second of drop-frame time code.
      mUnitsPerTick = framesPerSecond == 29 ? 1001 : 1;
      mDenominator = static_cast<Wide>(ticksPerFrame) * (framesPerSecond == 29 ? 30000 : framesPerSecond);
      mTimeCode = true;
    } else {
      if (division == 0) return "a division of 0 ticks per quarter note";
      mUnitsPerTick = kDefaultMicrosecondsPerQuarter;
      mDenominator = static_cast<Wide>(division) * 1000000;
    }
    return {};
  }
  bool TimeCode() const { return mTimeCode; }

  // For ticks that never decrease from one call to the next. False when the sample lies past limit.
  bool SampleAt(int64_t tick, const std::vector<TempoChange>& tempoMap, int sampleRate, int64_t limit,
                int64_t* sample) {
    for (; !mTimeCode && mNextChange < tempoMap.size() && tempoMap[mNextChange].tick <= tick; ++mNextChange) {
      Advance(tempoMap[mNextChange].tick);
      mUnitsPerTick = tempoMap[mNextChange].microsecondsPerQuarter;
    }
    Advance(tick);
    const Wide rounded = (2 * mUnits * sampleRate + mDenominator) / (2 * mDenominator);
    if (rounded > static_cast<Wide>(limit)) return false;
    *sample = static_cast<int64_t>(rounded);
    return true;
  }

 private:
  using Wide = unsigned __int128;

  void Advance(int64_t tick) {
    mUnits += static_cast<Wide>(tick - mTick) * mUnitsPerTick;
    mTick = tick;
  }

  bool mTimeCode = false;
  Wide mUnitsPerTick = 0, mDenominator = 1;
  Wide mUnits = 0;  // at mTick
  int64_t mTick = 0;
  size_t mNextChange = 0;
};

std::string Plural(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

void AddNotes(const Gathered& gathered, bool timeCode, MidiSequence* sequence) {
  if (gathered.ignoredTempoChanges)
    sequence->notes.push_back(Plural(gathered.ignoredTempoChanges, "tempo change", "tempo changes") +
                              " outside the first track, which holds the tempo map, ignored");
  if (timeCode && !gathered.tempoMap.empty())
    sequence->notes.push_back("tempo changes ignored: the file counts time in time-code frames");
  if (gathered.escapes)
    sequence->notes.push_back(Plural(gathered.escapes, "escaped (F7) event", "escaped (F7) events") +
                              " not played");
  if (gathered.unfinishedSysEx)
    sequence->notes.push_back(Plural(gathered.unfinishedSysEx, "unfinished system-exclusive message",
                                     "unfinished system-exclusive messages") +
                              " not played");
}

}  // namespace

std::string ParseMidiFile(const uint8_t* bytes, size_t size, int sampleRate, MidiSequence* sequence) {
  *sequence = MidiSequence();
  if (size > kLargestMidiFile)
    return "larger than " + std::to_string(kLargestMidiFile >> 20) + " MiB, the largest MIDI file played";
  if (size < 8 || std::memcmp(bytes, "MThd", 4) != 0)
    return "not a Standard MIDI File (it does not begin with an MThd chunk)";
  const uint32_t headerLength = BigEndian(bytes + 4, 4);
  if (headerLength < 6) return "a header chunk of " + std::to_string(headerLength) + " bytes (6 expected)";
  if (headerLength > size - 8) return "the file ends inside its header chunk";
  const uint32_t format = BigEndian(bytes + 8, 2), tracks = BigEndian(bytes + 10, 2);
  if (format == 2) return "format 2 (independent sequences), which is not played: formats 0 and 1 are";
  if (format > 2) return "an unknown format " + std::to_string(format);
  if (tracks == 0) return "no tracks";
  if (format == 0 && tracks != 1) return "a format 0 file of " + std::to_string(tracks) + " tracks (1 expected)";
  TickClock clock;
  std::string error = clock.SetDivision(static_cast<uint16_t>(BigEndian(bytes + 12, 2)));
  if (!error.empty()) return error;

  Gathered gathered;
  size_t at = 8 + size_t{headerLength};
  for (uint32_t track = 0; track < tracks;) {
    if (size - at < 8)
      return "the header announces " + std::to_string(tracks) + " tracks, the file ends after " + std::to_string(track);
    const uint8_t* type = bytes + at;
    const uint32_t length = BigEndian(bytes + at + 4, 4);
    at += 8;
    if (length > size - at)
      return "chunk '" + ChunkTypeText(type) + "' at byte " + std::to_string(at - 8) + " holds " +
             std::to_string(length) + " bytes, but the file ends " + std::to_string(size - at) + " bytes later";
    // Chunks of other kinds may be added to the format; readers skip them.
    if (std::memcmp(type, "MTrk", 4) == 0) {
      TrackReader reader(ByteCursor(bytes + at, length, at), track == 0, &gathered);
      error = reader.Read();
      if (!error.empty()) return "track " + std::to_string(track + 1) + ", byte " + std::to_string(reader.Offset()) + ": " + error;
      ++track;
    }
    at += length;
  }

  std::stable_sort(gathered.events.begin(), gathered.events.end(),
                   [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
  const int64_t limit = int64_t{kLongestMidiSeconds} * sampleRate;
  sequence->events.reserve(gathered.events.size());
  for (const TimedEvent& timed : gathered.events) {
    MidiEvent event = timed.event;
    if (event.status == kSysExStatus && event.sysExSize == 0) continue;  // never finished
    if (!clock.SampleAt(timed.tick, gathered.tempoMap, sampleRate, limit, &event.sample))
      return "events later than " + std::to_string(kLongestMidiSeconds) + " s, the longest a file may play";
    sequence->events.push_back(event);
  }
  sequence->sysExBytes = std::move(gathered.sysExBytes);
  AddNotes(gathered, clock.TimeCode(), sequence);
  return {};
}

std::string ReadMidiFile(const std::string& path, int sampleRate, MidiSequence* sequence) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return "cannot read " + path + ": " + std::strerror(errno);
  struct stat status {};
  if (fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(descriptor);
    return "cannot read " + path + ": it is a folder";
  }
  // One byte past the largest size tells a file that is too large; a FIFO's size is known only at its end.
  std::vector<uint8_t> bytes(kLargestMidiFile + 1);
  size_t got = 0;
  ssize_t count = 0;
  while (got < bytes.size() && (count = read(descriptor, bytes.data() + got, bytes.size() - got)) != 0) {
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      const std::string error = std::strerror(errno);
      close(descriptor);
      return "cannot read " + path + ": " + error;
    }
    got += static_cast<size_t>(count);
  }
  close(descriptor);
  const std::string error = ParseMidiFile(bytes.data(), got, sampleRate, sequence);
  return error.empty() ? error : "cannot play " + path + ": " + error;
}

}  // namespace korval_host
