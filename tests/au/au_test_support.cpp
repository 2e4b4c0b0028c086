#include "au_test_support.h"

TestPlugOptions g_testPlugOptions;

namespace {
// The open call registers the plug-in with the component manager, which does not know the
// made-up instance handle: the tests find the plug-in through the factory instead.
TestAUPlug* s_lastMadePlug = nullptr;
int s_fakeInstance;
}  // namespace

IFxAU* MakePlug() {
  s_lastMadePlug = new TestAUPlug(g_testPlugOptions);
  return s_lastMadePlug;
}

namespace au_test {

OpenedPlug::OpenedPlug(const TestPlugOptions& options) {
  g_testPlugOptions = options;
  Call(nullptr, kComponentOpenSelect, {Word(&s_fakeInstance)}, Word(&s_fakeInstance));
  mPlug = s_lastMadePlug;
  g_testPlugOptions = TestPlugOptions();
}

AudioStreamBasicDescription MakeFormat(UInt32 nChannels, Float64 sampleRate) {
  AudioStreamBasicDescription format;
  IFxAU::MakeDefaultASBD(&format, sampleRate, static_cast<int>(nChannels), false);
  return format;
}

HostBuffers::HostBuffers(int nChannels, int nFrames, bool withData)
    : mListBytes(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (nChannels > 0 ? nChannels : 1)),
      mData(nChannels, std::vector<float>(nFrames, 0.0f)) {
  AudioBufferList* pList = List();
  pList->mNumberBuffers = static_cast<UInt32>(nChannels);
  for (int c = 0; c < nChannels; ++c) {
    pList->mBuffers[c].mNumberChannels = 1;
    pList->mBuffers[c].mDataByteSize = withData ? static_cast<UInt32>(nFrames * sizeof(float)) : 0;
    pList->mBuffers[c].mData = withData ? mData[c].data() : nullptr;
  }
}

AudioTimeStamp MakeTimeStamp(Float64 sampleTime) {
  AudioTimeStamp stamp;
  std::memset(&stamp, 0, sizeof(stamp));
  stamp.mSampleTime = sampleTime;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  return stamp;
}

}  // namespace au_test
