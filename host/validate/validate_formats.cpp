// Channel configurations the unit supports, and formats it must refuse.
#include <utility>
#include <vector>

#include "host/validate/validator.h"

namespace korval_host {

namespace {

OSStatus SetFormat(AudioUnit unit, AudioUnitScope scope, const AudioStreamBasicDescription& format) {
  return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
}

}  // namespace

void ValidateFormats(Validator& validator) {
  const std::vector<AUChannelInfo>& configurations = validator.Shape().configurations;
  validator.Check("supported channel configurations are listed", !configurations.empty());

  // A unit without an input is configured on its output alone.
  const bool takesSound = validator.Shape().takesSound;
  for (const AUChannelInfo& io : configurations) {
    if (io.outChannels <= 0 || (takesSound ? io.inChannels <= 0 : io.inChannels > 0)) continue;
    std::unique_ptr<HostedUnit> unit = validator.Open();
    if (!unit) return;
    OSStatus status = takesSound ? unit->SetStreamFormat(kAudioUnitScope_Input, 44100, io.inChannels) : noErr;
    if (status == noErr) status = unit->SetStreamFormat(kAudioUnitScope_Output, 44100, io.outChannels);
    if (status == noErr) status = AudioUnitInitialize(unit->Unit());
    AudioStreamBasicDescription readBack{};
    UInt32 size = sizeof readBack;
    AudioUnitGetProperty(unit->Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &readBack, &size);
    validator.Check("channels " + std::to_string(io.inChannels) + "-" + std::to_string(io.outChannels) +
                        " are accepted, initialise and read back",
                    status == noErr && readBack.mChannelsPerFrame == static_cast<UInt32>(io.outChannels) &&
                        readBack.mFormatID == kAudioFormatLinearPCM,
                    StatusText(status));
  }

  const std::pair<int, int> unlisted[] = {{1, 2}, {2, 1}};
  for (const auto& [listedInputs, outputs] : unlisted) {
    const int inputs = takesSound ? listedInputs : 0;
    if (Supports(configurations, inputs, outputs)) continue;
    std::unique_ptr<HostedUnit> unit = validator.Open();
    if (!unit) return;
    if (takesSound) unit->SetStreamFormat(kAudioUnitScope_Input, 44100, inputs);
    unit->SetStreamFormat(kAudioUnitScope_Output, 44100, outputs);
    validator.Check("channels " + std::to_string(inputs) + "-" + std::to_string(outputs) + " do not initialise",
                    AudioUnitInitialize(unit->Unit()) != noErr);
  }

  std::unique_ptr<HostedUnit> unit = validator.Open();
  if (!unit) return;
  const AudioUnit au = unit->Unit();
  AudioStreamBasicDescription notPCM = CanonicalFormat(44100, 2);
  notPCM.mFormatID = MakeFourCharCode(".mp3");
  AudioStreamBasicDescription noFlags = CanonicalFormat(44100, 2);
  noFlags.mFormatFlags = 0;
  bool refused = true;
  for (UInt32 channels : {0u, 3u, 129u, 100000u}) {
    if (!Supports(configurations, static_cast<int>(channels), static_cast<int>(channels)))
      refused = refused && SetFormat(au, kAudioUnitScope_Input, CanonicalFormat(44100, channels)) != noErr &&
                SetFormat(au, kAudioUnitScope_Output, CanonicalFormat(44100, channels)) != noErr;
  }
  validator.Check("unsupported channel counts (0, 3, 129, 100000) are refused", refused);
  // Where the unit's own format is set: its input, or the output of a unit without one.
  const AudioUnitScope scope = takesSound ? kAudioUnitScope_Input : kAudioUnitScope_Output;
  validator.Check("formats other than linear PCM float are refused",
                  SetFormat(au, scope, notPCM) != noErr && SetFormat(au, scope, noFlags) != noErr);
  Float64 before = 0, after = 0;
  UInt32 size = sizeof before;
  AudioUnitGetProperty(au, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &before, &size);
  AudioStreamBasicDescription negativeRate = CanonicalFormat(-1, 2);
  SetFormat(au, scope, negativeRate);
  AudioUnitGetProperty(au, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &after, &size);
  validator.Check("a format with a negative sample rate leaves the rate alone", after == before && after > 0);
}

}  // namespace korval_host
