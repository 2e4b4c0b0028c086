#include "host/unit/block_renderer.h"

#include <cstring>

namespace korval_host {

BlockRenderer::BlockRenderer(const HostedUnit& unit, UInt32 channels, UInt32 maxFrames, RenderRoute route)
    : mUnit(unit),
      mChannels(channels),
      mMaxFrames(maxFrames),
      mRoute(route),
      mInput(channels, std::vector<float>(maxFrames, 0.0f)),
      mOutput(channels, std::vector<float>(maxFrames, 0.0f)) {
  mTime.mFlags = kAudioTimeStampSampleTimeValid;
}

OSStatus BlockRenderer::Connect() {
  const AURenderCallbackStruct callback{SupplyInput, this};
  return AudioUnitSetProperty(mUnit.Unit(), kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                              sizeof callback);
}

OSStatus BlockRenderer::SupplyInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                                    UInt32 frames, AudioBufferList* buffers) {
  auto* self = static_cast<BlockRenderer*>(refCon);
  if (frames > self->mMaxFrames) return kAudioUnitErr_TooManyFramesToProcess;
  ++self->mInputPulls;
  for (UInt32 k = 0; k < buffers->mNumberBuffers; ++k) {
    AudioBuffer& buffer = buffers->mBuffers[k];
    // A unit asking for more channels than the host set gets the last one repeated.
    const float* source = self->mInput[k < self->mChannels ? k : self->mChannels - 1].data();
    if (buffer.mData) {
      std::memcpy(buffer.mData, source, frames * sizeof(float));
    } else {
      buffer.mData = const_cast<float*>(source);
      buffer.mDataByteSize = frames * sizeof(float);
    }
  }
  return noErr;
}

const float* BlockRenderer::RenderedChannel(UInt32 channel) const {
  return static_cast<const float*>(mOutputList.mBuffers[channel].mData);
}

OSStatus BlockRenderer::Render(UInt32 frames) {
  // The host's own buffers end there, whatever the unit would accept.
  if (frames > mMaxFrames) return kAudioUnitErr_TooManyFramesToProcess;
  mOutputList.mNumberBuffers = mChannels;
  for (UInt32 c = 0; c < mChannels; ++c) {
    mOutputList.mBuffers[c].mNumberChannels = 1;
    mOutputList.mBuffers[c].mDataByteSize = frames * sizeof(float);
    mOutputList.mBuffers[c].mData = mNullOutputBuffers ? nullptr : mOutput[c].data();
  }
  const OSStatus status = mUnit.Render(mRoute == RenderRoute::kFastDispatch, &mTime, frames,
                                       reinterpret_cast<AudioBufferList*>(&mOutputList));
  if (status == noErr) mTime.mSampleTime += frames;
  return status;
}

}  // namespace korval_host
