#include "host/unit/hosted_unit.h"

#include <cstring>

#include "korval_platform/host.h"

namespace korval_host {

std::string RegisterBundle(const std::string& bundleDir, bool* damaged) {
  long count = 0;
  const OSStatus status = KorvRegisterComponentBundle(bundleDir.c_str(), &count);
  if (damaged) *damaged = status == kAudioUnitErr_InvalidFile;
  if (status == kAudioUnitErr_InvalidFile)
    return "cannot load the plug-in bundle " + bundleDir +
           ": its Contents/Info.plist is no regular file listing complete components";
  if (status != noErr) return "cannot load the plug-in bundle " + bundleDir + " (status " + std::to_string(status) + ")";
  return {};
}

std::string FourCharCodeText(OSType code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return text;
}

std::string ComponentCodesText(const ComponentDescription& description) {
  return FourCharCodeText(description.componentType) + ":" + FourCharCodeText(description.componentSubType) + ":" +
         FourCharCodeText(description.componentManufacturer);
}

bool ParseComponentDescription(const std::string& text, ComponentDescription* description) {
  if (text.size() != 14 || text[4] != ':' || text[9] != ':') return false;
  OSType codes[3] = {};
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 4; ++k) codes[i] = (codes[i] << 8) | static_cast<unsigned char>(text[i * 5 + k]);
  }
  *description = {codes[0], codes[1], codes[2], 0, 0};
  return true;
}

AudioStreamBasicDescription CanonicalFormat(double sampleRate, UInt32 channels) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = sizeof(float);
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = sizeof(float);
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 32;
  return format;
}

std::unique_ptr<HostedUnit> HostedUnit::Open(const ComponentDescription& looking, std::string* error,
                                             bool* damaged) {
  if (damaged) *damaged = false;
  const std::string codes = ComponentCodesText(looking);
  ComponentDescription search = looking;
  Component component = FindNextComponent(nullptr, &search);
  if (!component) {
    *error = "no registered component " + codes;
    return nullptr;
  }
  ComponentDescription found{};
  GetComponentInfo(component, &found, nullptr, nullptr, nullptr);
  ComponentInstance instance = nullptr;
  const OSErr status = OpenAComponent(component, &instance);
  if (status == cfragNoLibraryErr || status == cfragNoSymbolErr) {
    if (damaged) *damaged = true;
    *error = status == cfragNoLibraryErr ? "the bundle's binary for " + codes + " cannot be loaded"
                                         : "the bundle names no function of its binary as the entry of " + codes;
    return nullptr;
  }
  if (status != noErr || !instance) {
    *error = "the component refused to open (status " + std::to_string(status) + ")";
    return nullptr;
  }
  // Any entry answers the open and close calls; only a unit's says it can initialize and render. The
  // answers of another (a view's entry, say) are error codes that must not be taken for values.
  if (CallComponentCanDo(instance, kAudioUnitInitializeSelect) != 1 ||
      CallComponentCanDo(instance, kAudioUnitRenderSelect) != 1) {
    CloseComponent(instance);
    if (damaged) *damaged = true;
    *error = "the entry of " + codes + " does not answer as an Audio Unit";
    return nullptr;
  }
  return std::unique_ptr<HostedUnit>(new HostedUnit(instance, found));
}

HostedUnit::HostedUnit(AudioUnit unit, const ComponentDescription& description)
    : mUnit(unit), mDescription(description), mStorage(GetComponentInstanceStorage(unit)) {
  auto fetch = [this](SInt16 selector, auto* procedure) {
    if (GetPropertyValue(mUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                         static_cast<AudioUnitElement>(selector), procedure) != noErr)
      *procedure = nullptr;
  };
  fetch(kAudioUnitGetParameterSelect, &mGetParameterProc);
  fetch(kAudioUnitSetParameterSelect, &mSetParameterProc);
  fetch(kAudioUnitRenderSelect, &mRenderProc);
}

HostedUnit::~HostedUnit() {
  AudioUnitUninitialize(mUnit);
  CloseComponent(mUnit);
}

OSStatus HostedUnit::SetStreamFormat(AudioUnitScope scope, double sampleRate, UInt32 channels) {
  const AudioStreamBasicDescription format = CanonicalFormat(sampleRate, channels);
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
}

OSStatus HostedUnit::SetMaximumFrames(UInt32 maxFrames) {
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                              sizeof maxFrames);
}

bool HostedUnit::TakesMidi() const {
  return IsInstrument() || mDescription.componentType == kMusicEffectUnitType;
}

bool HostedUnit::TakesSound() const {
  UInt32 inputs = 0;
  return GetPropertyValue(mUnit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &inputs) == noErr &&
         inputs > 0;
}

UInt32 HostedUnit::OutputChannels() const {
  AudioStreamBasicDescription format{};
  if (GetPropertyValue(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format) != noErr) return 0;
  return format.mChannelsPerFrame;
}

OSStatus HostedUnit::Configure(double sampleRate, UInt32 channels, UInt32 maxFrames) {
  const OSStatus status = SetStreamFormat(kAudioUnitScope_Input, sampleRate, channels);
  return status == noErr ? ConfigureOutput(sampleRate, channels, maxFrames) : status;
}

OSStatus HostedUnit::ConfigureOutput(double sampleRate, UInt32 channels, UInt32 maxFrames) {
  OSStatus status = SetStreamFormat(kAudioUnitScope_Output, sampleRate, channels);
  // The stream format alone does not make the unit prepare for a new rate; the rate property does.
  if (status == noErr)
    status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &sampleRate,
                                  sizeof sampleRate);
  if (status == noErr) status = SetMaximumFrames(maxFrames);
  return status;
}

OSStatus HostedUnit::SetBypass(bool bypass) {
  const UInt32 value = bypass ? 1 : 0;
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &value, sizeof value);
}

namespace {

// The unit's text for each value of a list of choices; none when it offers none.
std::vector<std::string> ValueNames(AudioUnit unit, AudioUnitParameterID id) {
  std::vector<std::string> names;
  CFArrayRef texts = nullptr;
  if (GetPropertyValue(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &texts) != noErr)
    return names;
  const CFRef<CFArrayRef> owned(texts);
  if (!texts) return names;
  for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i) {
    const auto text = static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, i));
    names.push_back(text && CFGetTypeID(text) == CFStringGetTypeID() ? ToUtf8(text) : std::string());
  }
  return names;
}

}  // namespace

std::vector<ParameterDescription> HostedUnit::Parameters() const {
  std::vector<ParameterDescription> parameters;
  UInt32 size = 0;
  if (AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, nullptr) !=
      noErr)
    return parameters;
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  size = static_cast<UInt32>(ids.size() * sizeof(AudioUnitParameterID));
  if (!ids.empty() &&
      AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size) !=
          noErr)
    return parameters;
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info{};
    if (GetPropertyValue(mUnit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info) != noErr) continue;
    ParameterDescription parameter;
    parameter.id = id;
    parameter.name = info.cfNameString ? ToUtf8(info.cfNameString) : std::string(info.name, strnlen(info.name, 52));
    parameter.unitName = ToUtf8(info.unitName);
    parameter.unit = info.unit;
    parameter.minValue = info.minValue;
    parameter.maxValue = info.maxValue;
    parameter.defaultValue = info.defaultValue;
    parameter.flags = info.flags;
    if (info.unit == kAudioUnitParameterUnit_Indexed) parameter.valueNames = ValueNames(mUnit, id);
    // The strings are ours to release when the unit says so.
    if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
      if (info.cfNameString) CFRelease(info.cfNameString);
      if (info.unitName) CFRelease(info.unitName);
    }
    parameters.push_back(parameter);
  }
  return parameters;
}

OSStatus HostedUnit::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value) const {
  if (mSetParameterProc) return mSetParameterProc(mStorage, id, kAudioUnitScope_Global, 0, value, 0);
  return AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0);
}

OSStatus HostedUnit::GetParameter(AudioUnitParameterID id, AudioUnitParameterValue* value) const {
  if (mGetParameterProc) return mGetParameterProc(mStorage, id, kAudioUnitScope_Global, 0, value);
  return AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, value);
}

std::string HostedUnit::DisplayValue(AudioUnitParameterID id, AudioUnitParameterValue value) const {
  AudioUnitParameterStringFromValue request{id, &value, nullptr};
  if (GetPropertyValue(mUnit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request) !=
          noErr ||
      !request.outString)
    return {};
  CFRef<CFStringRef> text(request.outString);
  return ToUtf8(text.Get());
}

OSStatus HostedUnit::SaveState(CFRef<CFPropertyListRef>* state) const {
  CFPropertyListRef dictionary = nullptr;
  const OSStatus status = GetPropertyValue(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &dictionary);
  state->Reset(status == noErr ? dictionary : nullptr);
  return status;
}

OSStatus HostedUnit::RestoreState(CFPropertyListRef state) const {
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
}

OSStatus HostedUnit::Render(bool fastDispatch, const AudioTimeStamp* time, UInt32 frames,
                            AudioBufferList* buffers) const {
  AudioUnitRenderActionFlags flags = 0;
  if (fastDispatch && mRenderProc) return mRenderProc(mStorage, &flags, time, 0, frames, buffers);
  return AudioUnitRender(mUnit, &flags, time, 0, frames, buffers);
}

}  // namespace korval_host
