// Two units played by MIDI, for the host's tests: an instrument (no input, stereo out) and an effect
// that takes sound and MIDI. Both mark each event at the sample it was stamped with (click_unit.h).
#include "click_unit.h"

#include <algorithm>
#include <array>

#include "au/ifx_au.h"

namespace {

bool g_openingInstrument = false;

class ClickUnit : public IFxAU {
 public:
  explicit ClickUnit(bool instrument)
      : IFxAU(IFxInstanceInfo{BRM_String("com.korvaline.test.click"), BRM_String("ClickUnit_View")}, 0,
              instrument ? "0-2" : "1-1 2-2", 0, "Click", "Click", "KorvTest", 0x10000,
              instrument ? 0x436C696B : 0x436C6B46, 0x4B727654, 0, true, false, instrument) {}

  void ProcessMidiMsg(IMidiMsg* message) override {
    if (mPending < mMessages.size()) mMessages[mPending++] = *message;
  }
  void ProcessSysEx(ISysEx* message) override { mSysExSize = message->mSize; }

  void ProcessDoubleReplacing(double** inputs, double** outputs, int frames) override {
    for (int c = 0; c < NOutChannels(); ++c) {
      if (NInChannels() > 0)
        std::copy_n(inputs[std::min(c, NInChannels() - 1)], frames, outputs[c]);
      else
        std::fill_n(outputs[c], frames, 0.0);
    }
    if (mSysExSize >= 0) outputs[1][0] += SysExCode(static_cast<uint16_t>(mSysExSize));
    mSysExSize = -1;
    for (size_t i = 0; i < mPending; ++i) {
      const IMidiMsg& message = mMessages[i];
      // An offset outside the slice is the host's fault: it leaves no mark, so the test sees it missing.
      if (message.mOffset < 0 || message.mOffset >= frames) continue;
      outputs[1][message.mOffset] += ClickCode(message.mStatus, message.mData1, message.mData2);
      if (message.StatusMsg() == IMidiMsg::kNoteOn) outputs[0][message.mOffset] += message.Velocity() / 127.0;
    }
    mPending = 0;
  }

 private:
  std::array<IMidiMsg, 4096> mMessages;
  size_t mPending = 0;
  int mSysExSize = -1;
};

}  // namespace

IFxAU* MakePlug() { return new ClickUnit(g_openingInstrument); }

extern "C" __attribute__((visibility("default"))) ComponentResult ClickInstrument_Entry(ComponentParameters* params,
                                                                                       Handle plug) {
  if (params && params->what == kComponentOpenSelect) g_openingInstrument = true;
  return IFxAU::IFxAUEntry(params, plug);
}

extern "C" __attribute__((visibility("default"))) ComponentResult ClickEffect_Entry(ComponentParameters* params,
                                                                                   Handle plug) {
  if (params && params->what == kComponentOpenSelect) g_openingInstrument = false;
  return IFxAU::IFxAUEntry(params, plug);
}
