#pragma once
// Drives a plug-in through IFxAU::IFxAUEntry with hand-built parameter blocks, as the component
// manager would, and builds the host-side records the tests pass in.
#include <cstring>
#include <initializer_list>
#include <vector>

#include "test_au_plug.h"

namespace au_test {

struct Block {
  UInt8 flags = 0;
  UInt8 paramSize = 0;
  SInt16 what = 0;
  UInt32 padding = 0;
  long params[8] = {};
};

inline long Word(UInt32 v) { return static_cast<long>(v); }
inline long Word(const void* p) { return reinterpret_cast<long>(p); }
inline long Word(Float32 v) {
  UInt32 bits;
  std::memcpy(&bits, &v, sizeof(bits));
  return static_cast<long>(bits);
}
template <class Proc>
long ProcWord(Proc proc) {
  return reinterpret_cast<long>(proc);
}

// Word 0 is the instance (or the asked selector for CanDo); the arguments follow.
inline ComponentResult Call(void* pPlug, SInt16 selector, std::initializer_list<long> args, long word0 = 0) {
  Block block;
  block.what = selector;
  block.params[0] = word0;
  int i = 1;
  for (long a : args) block.params[i++] = a;
  block.paramSize = static_cast<UInt8>(i * sizeof(long));
  return IFxAU::IFxAUEntry(reinterpret_cast<ComponentParameters*>(&block), pPlug);
}

// An instance opened through the entry with a made-up instance handle, closed at scope exit.
class OpenedPlug {
 public:
  explicit OpenedPlug(const TestPlugOptions& options = TestPlugOptions());
  ~OpenedPlug() { Call(mPlug, kComponentCloseSelect, {}); }
  OpenedPlug(const OpenedPlug&) = delete;
  OpenedPlug& operator=(const OpenedPlug&) = delete;
  TestAUPlug* operator->() const { return mPlug; }
  TestAUPlug* Get() const { return mPlug; }

  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* pData,
                       UInt32* pSize) const {
    return Call(mPlug, kAudioUnitGetPropertySelect, {Word(id), Word(scope), Word(element), Word(pData), Word(pSize)});
  }
  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* pSize,
                           Boolean* pWritable) const {
    return Call(mPlug, kAudioUnitGetPropertyInfoSelect,
                {Word(id), Word(scope), Word(element), Word(pSize), Word(pWritable)});
  }
  template <class T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* pValue) const {
    UInt32 size = sizeof(T);
    return GetProperty(id, scope, element, pValue, &size);
  }
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* pData,
                       UInt32 size) const {
    return Call(mPlug, kAudioUnitSetPropertySelect, {Word(id), Word(scope), Word(element), Word(pData), Word(size)});
  }
  template <class T>
  OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value) const {
    return SetProperty(id, scope, element, &value, sizeof(T));
  }
  OSStatus SetParam(UInt32 id, Float32 value, AudioUnitScope scope = kAudioUnitScope_Global) const {
    return Call(mPlug, kAudioUnitSetParameterSelect, {Word(id), Word(scope), Word(0u), Word(value), Word(0u)});
  }
  OSStatus GetParam(UInt32 id, Float32* pValue, AudioUnitScope scope = kAudioUnitScope_Global) const {
    return Call(mPlug, kAudioUnitGetParameterSelect, {Word(id), Word(scope), Word(0u), Word(pValue)});
  }

 private:
  TestAUPlug* mPlug = nullptr;
};

AudioStreamBasicDescription MakeFormat(UInt32 nChannels, Float64 sampleRate = 44100.0);

// Non-interleaved float buffers for a render call, one per channel.
class HostBuffers {
 public:
  HostBuffers(int nChannels, int nFrames, bool withData = true);
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mListBytes.data()); }
  float* Channel(int c) { return static_cast<float*>(List()->mBuffers[c].mData); }

 private:
  std::vector<unsigned char> mListBytes;
  std::vector<std::vector<float>> mData;
};

AudioTimeStamp MakeTimeStamp(Float64 sampleTime);

}  // namespace au_test
