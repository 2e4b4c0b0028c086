// One thread renders through the fast-dispatch procedure while another changes parameters through
// the set-parameter procedure and the entry, saves state and switches bypass. Built with
// ThreadSanitizer any unguarded access fails the run.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "au_test_support.h"
#include "support/alloc_counter.h"

using namespace au_test;

namespace {

OSStatus Constant(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                  AudioBufferList* ioData) {
  for (UInt32 b = 0; b < ioData->mNumberBuffers; ++b) {
    float* samples = static_cast<float*>(ioData->mBuffers[b].mData);
    for (UInt32 i = 0; i < nFrames; ++i) samples[i] = 0.25f;
  }
  return noErr;
}

TEST(RenderThreadsTest, RenderingWhileTheHostChangesParametersStateAndBypass) {
  OpenedPlug plug;
  AURenderCallbackStruct callback = {Constant, nullptr};
  ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback));
  ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, 256u));
  ASSERT_EQ(noErr, Call(plug.Get(), kAudioUnitInitializeSelect, {}));

  std::atomic<bool> stop{false};
  std::atomic<long> renderAllocations{0};
  std::atomic<int> renderFailures{0};
  std::atomic<int> blocksRendered{0};
  std::thread audio([&] {
    HostBuffers out(2, 256);
    korv_test::AllocationScope scope;
    for (int block = 0; !stop.load(); ++block) {
      AudioTimeStamp stamp = MakeTimeStamp(block * 256.0);
      AudioUnitRenderActionFlags flags = 0;
      if (IFxAU::RenderProc(plug.Get(), &flags, &stamp, 0, 256, out.List()) != noErr) ++renderFailures;
      ++blocksRendered;
    }
    renderAllocations = scope.Count();
  });

  while (blocksRendered.load() == 0) std::this_thread::yield();
  for (int i = 0; i < 300 || blocksRendered.load() < 1000; ++i) {
    IFxAU::SetParamProc(plug.Get(), kGain, kAudioUnitScope_Global, 0, (i % 20) * 0.1f, 0);
    plug.SetParam(kOut, static_cast<Float32>(i % 30 - 15));
    plug->mParamChanges.clear();
    UInt32 bypass = i % 2;
    plug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, bypass);
    // The state needs a registered component; without one the query still runs under the mutex.
    CFPropertyListRef state = nullptr;
    plug.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state);
    if (state) CFRelease(state);
    ByteChunk chunk;
    plug->SerializeState(&chunk);
  }
  stop = true;
  audio.join();
  EXPECT_EQ(0, renderFailures.load());
  EXPECT_EQ(0, renderAllocations.load());
}

}  // namespace
