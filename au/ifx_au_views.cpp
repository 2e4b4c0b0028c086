// The editor views IFxAU offers hosts: the Cocoa view property, the Carbon view component list
// and the Carbon view component's entry.
#include <cstring>

#include "au/cf_text.h"
#include "au/ifx_au.h"
#include "framework/trace.h"
#include "gui/mac/igraphics_mac.h"

namespace {

// Cocoa views are offered from 10.5 on.
constexpr int kFirstVersionWithCocoaViews = 0x1050;

// One per open Carbon view component.
struct CarbonViewRecord {
  ComponentInstance mViewInstance;
  IFxAU* mPlug;
  // The unit the view was made for: a host may close it before the view, so the plug-in is looked up
  // through it again instead of trusting mPlug.
  AudioUnit mUnit;
};

template <class T>
T* ArgPtr(long word) {
  return reinterpret_cast<T*>(word);
}

}  // namespace

ComponentResult IFxAU::GetCocoaViewInfo(UInt32* pDataSize, void* pData) {
  if (!GetGUI() || IGraphicsMac::GetUserOSVersion() < kFirstVersionWithCocoaViews) return kAudioUnitErr_InvalidProperty;
  CFStrLocal bundleID(mBundleID.Get());
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID.Get());
  // A host can load the view class only from the plug-in's own bundle.
  if (!bundle) return kAudioUnitErr_InvalidProperty;
  const UInt32 capacity = *pDataSize;
  *pDataSize = sizeof(AudioUnitCocoaViewInfo);
  if (!pData) return noErr;
  if (capacity < sizeof(AudioUnitCocoaViewInfo)) return kAudioUnitErr_InvalidPropertyValue;
  AudioUnitCocoaViewInfo info;
  info.mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
  info.mCocoaAUViewClass[0] = MakeCFString(mViewFactoryClassName.Get());
  std::memcpy(pData, &info, sizeof(info));
  return noErr;
}

ComponentResult IFxAU::GetUIComponentList(UInt32* pDataSize, void* pData) {
  if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
  const UInt32 capacity = *pDataSize;
  *pDataSize = sizeof(ComponentDescription);
  if (!pData) return noErr;
  if (capacity < sizeof(ComponentDescription)) return kAudioUnitErr_InvalidPropertyValue;
  const ComponentDescription description = {kAudioUnitCarbonViewComponentType, static_cast<OSType>(GetUniqueID()),
                                            static_cast<OSType>(GetMfrID()), 0, 0};
  std::memcpy(pData, &description, sizeof(description));
  return noErr;
}

ComponentResult IFxAU::IFxAUCarbonViewEntry(ComponentParameters* params, void* pView) {
  if (!params) return badComponentSelector;
  const SInt16 select = params->what;
  Trace(__FUNCTION__, __LINE__, "%d:%s", select, AUSelectStr(select));
  CarbonViewRecord* pRecord = static_cast<CarbonViewRecord*>(pView);

  switch (select) {
    case kComponentOpenSelect: {
      pRecord = new CarbonViewRecord{ArgPtr<ComponentInstanceRecord>(params->params[1]), nullptr, nullptr};
      SetComponentInstanceStorage(pRecord->mViewInstance, reinterpret_cast<Handle>(pRecord));
      return noErr;
    }
    case kComponentCloseSelect:
      if (pRecord) {
        IFxAU* pLivePlug = pRecord->mUnit ? reinterpret_cast<IFxAU*>(GetComponentInstanceStorage(pRecord->mUnit)) : nullptr;
        if (pLivePlug && pLivePlug == pRecord->mPlug) {
          if (IGraphics* pEditor = GetEditor(pLivePlug)) pEditor->CloseWindow();
        }
        delete pRecord;
      }
      return noErr;
    case kAudioUnitCarbonViewCreateSelect: {
      if (!pRecord) return badComponentInstance;
      // This call's words run in reverse order of its parameters: the audio unit comes last.
      ControlRef* pOutControl = ArgPtr<ControlRef>(params->params[0]);
      void* pParentControl = ArgPtr<void>(params->params[3]);
      void* pWindow = ArgPtr<void>(params->params[4]);
      AudioUnit unit = ArgPtr<ComponentInstanceRecord>(params->params[5]);
      IFxAU* pPlug = reinterpret_cast<IFxAU*>(GetComponentInstanceStorage(unit));
      pRecord->mPlug = pPlug;
      pRecord->mUnit = unit;
      if (!pPlug || !pPlug->GetGUI()) return badComponentSelector;
      IGraphics* pEditor = GetEditor(pPlug);
      ControlRef control = pEditor ? static_cast<ControlRef>(pEditor->OpenWindow(pWindow, pParentControl, 0, 0)) : nullptr;
      if (pOutControl) *pOutControl = control;
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}
