#pragma once
// Feeds planar float audio into a hosted unit through its input render callback and collects what
// it renders. Buffers are made up front: rendering a block allocates nothing.
#include <cstddef>
#include <vector>

#include "host/unit/hosted_unit.h"

namespace korval_host {

enum class RenderRoute { kEntry, kFastDispatch };

class BlockRenderer {
 public:
  static constexpr UInt32 kMaxChannels = 2;

  BlockRenderer(const HostedUnit& unit, UInt32 channels, UInt32 maxFrames, RenderRoute route);

  // Registers the input callback on input bus 0.
  OSStatus Connect();

  const HostedUnit& Unit() const { return mUnit; }
  float* Input(UInt32 channel) { return mInput[channel].data(); }
  const float* Output(UInt32 channel) const { return mOutput[channel].data(); }
  UInt32 Channels() const { return mChannels; }
  // How often the unit pulled input since construction.
  long InputPulls() const { return mInputPulls; }

  void SetRoute(RenderRoute route) { mRoute = route; }
  // Offers null output pointers, so the unit has to supply its own buffers; the audio is then found
  // through RenderedChannel(), and Output() is left alone.
  void SetNullOutputBuffers(bool null) { mNullOutputBuffers = null; }
  // The pointers the unit returned in the last render (its own when null ones were offered).
  const float* RenderedChannel(UInt32 channel) const;

  // Renders `frames` frames (at most maxFrames) of Input() into Output() and advances the sample time.
  OSStatus Render(UInt32 frames);

 private:
  static OSStatus SupplyInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 busNumber,
                              UInt32 frames, AudioBufferList* buffers);

  struct OutputBufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[kMaxChannels];
  };
  static_assert(offsetof(OutputBufferList, mBuffers) == offsetof(AudioBufferList, mBuffers), "buffer list layout");

  const HostedUnit& mUnit;
  UInt32 mChannels;
  UInt32 mMaxFrames;
  RenderRoute mRoute;
  bool mNullOutputBuffers = false;
  std::vector<std::vector<float>> mInput, mOutput;
  OutputBufferList mOutputList{};
  AudioTimeStamp mTime{};
  long mInputPulls = 0;
};

}  // namespace korval_host
